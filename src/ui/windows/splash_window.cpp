#include "ui/windows/splash_window.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <QScreen>

#include "core/shell/product_identity.h"
#include "platform/qt_strings.h"
#include "ui/icons/emblem.h"
#include "ui/widgets/appearance.h"

namespace boardcast {

namespace {
constexpr int kTickMs = 2;
constexpr int kStep = 2;
constexpr int kDone = 150;

// The largest font of at most maxPoints that sets text within width.
QFont fitted(QFont font, const QString& text, int maxPoints, int width) {
    for (int size = maxPoints; size > 6; --size) {
        font.setPointSize(size);
        if (QFontMetrics(font).horizontalAdvance(text) <= width) break;
    }
    return font;
}

}  // namespace

SplashWindow::SplashWindow(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), timer_(this) {
    setObjectName(QStringLiteral("frmSplash"));
    timer_.setObjectName(QStringLiteral("Timer2"));
    timer_.setInterval(kTickMs);
    connect(&timer_, &QTimer::timeout, this, &SplashWindow::tick);
    setFixedSize(420, 260);
    if (productIdentity().skinEnabled) startProgramSkin();
    skinWindow(*this);
}

void SplashWindow::start() {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    show();
    timer_.start();
}

void SplashWindow::tick() {
    progress += kStep;
    if (progress < kDone) return;
    timer_.stop();
    Q_EMIT finished();
    hide();
}

void SplashWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, height());
    sky.setColorAt(0, kEmblemSky);
    sky.setColorAt(1, kEmblemNight);
    p.fillRect(rect(), sky);
    QRadialGradient glow(QPointF(90, 96), 120);
    glow.setColorAt(0, QColor(120, 170, 240, 90));
    glow.setColorAt(1, QColor(120, 170, 240, 0));
    p.fillRect(rect(), glow);
    p.translate(0, -8);  // the picture sits a little above the middle

    paintEmblem(p);

    const ProductIdentity& identity = productIdentity();
    const QString name = toQString(identity.productName);
    QFont title(font());
    title.setBold(true);
    p.setFont(fitted(title, name, 30, 214));
    p.setPen(Qt::white);
    p.drawText(QRectF(190, 58, 220, 52), Qt::AlignLeft | Qt::AlignVCenter, name);
    const QString maker = QStringLiteral("by ") + toQString(identity.companyName);
    p.setFont(fitted(font(), maker, 10, 214));
    p.setPen(QColor(200, 218, 245));
    p.drawText(QRectF(192, 110, 218, 22), Qt::AlignLeft | Qt::AlignVCenter, maker);

    p.setPen(QPen(kEmblemGold, 1.5));
    p.drawLine(QPointF(30, 176), QPointF(390, 176));
    const QString line =
        QStringLiteral("Post to any forum in its own markup, and hear when they answer.");
    p.setFont(fitted(font(), line, 11, 390));
    p.setPen(QColor(255, 226, 150));
    p.drawText(QRectF(10, 188, 400, 26), Qt::AlignCenter, line);
    const QString site = toQString(identity.webSiteText);
    p.setFont(fitted(font(), site, 8, 380));
    p.setPen(QColor(150, 175, 215));
    p.drawText(QRectF(20, 230, 380, 20), Qt::AlignCenter, site);
}

}  // namespace boardcast
