#include "ui/windows/about_window.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/shell/product_identity.h"
#include "platform/qt_strings.h"
#include "ui/icons/emblem.h"
#include "ui/widgets/appearance.h"

namespace boardcast {

namespace {

constexpr int kPictureSide = 96;

QLabel* namedLabel(QWidget* parent, const char* name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

}  // namespace

AboutWindow::AboutWindow(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    const ProductIdentity& identity = productIdentity();

    auto* picture = namedLabel(this, "Image1", QString());
    picture->setPixmap(emblemPicture(kPictureSide));
    picture->setFixedSize(kPictureSide, kPictureSide);

    auto* title = namedLabel(this, "lblTitle", QStringLiteral("Your Program Name"));
    QFont titleFont = title->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.8);
    title->setFont(titleFont);

    auto* versionLabel = namedLabel(this, "lblVersion", QString());
    auto* companyLabel = namedLabel(this, "lblCompany", QString());
    websiteLabel = namedLabel(this, "lblWebsite", QString());
    websiteLabel->setCursor(Qt::PointingHandCursor);
    websiteLabel->setFocusPolicy(Qt::TabFocus);
    websiteLabel->setToolTip(QStringLiteral("Open the web site"));
    QFont linkFont = websiteLabel->font();
    linkFont.setUnderline(true);
    websiteLabel->setFont(linkFont);
    websiteLabel->setForegroundRole(QPalette::Link);
    websiteLabel->installEventFilter(this);

    auto* facts = new QGridLayout;
    facts->setHorizontalSpacing(12);
    facts->addWidget(namedLabel(this, "Label1", QStringLiteral("Version:")), 0, 0);
    facts->addWidget(versionLabel, 0, 1);
    facts->addWidget(namedLabel(this, "Label2", QStringLiteral("Owned By:")), 1, 0);
    facts->addWidget(companyLabel, 1, 1);
    facts->addWidget(namedLabel(this, "Label3", QStringLiteral("Website:")), 2, 0);
    facts->addWidget(websiteLabel, 2, 1);
    facts->setColumnStretch(1, 1);

    auto* text = new QVBoxLayout;
    text->addWidget(title);
    text->addSpacing(6);
    text->addLayout(facts);
    text->addStretch();

    auto* top = new QHBoxLayout;
    top->setSpacing(18);
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addLayout(text, 1);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QWidget::close);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(18, 18, 18, 12);
    outer->addLayout(top);
    outer->addLayout(buttons);

    // The window's load.
    setWindowTitle(QStringLiteral("About ") + toQString(identity.productName));
    title->setText(toQString(identity.productName));
    versionLabel->setText(QString::number(identity.versionMajor) + QLatin1Char('.') +
                          QString::number(identity.versionMinor));
    companyLabel->setText(toQString(identity.companyName));
    websiteLabel->setText(toQString(identity.webSiteText));
    skinWindow(*this, {{this, QStringLiteral("SkinLabel1")}});
    setFixedSize(sizeHint().expandedTo(QSize(380, 0)));
}

bool AboutWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == websiteLabel) {
        const bool clicked = event->type() == QEvent::MouseButtonRelease &&
                             static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
        const bool pressed = event->type() == QEvent::KeyPress &&
                             (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space ||
                              static_cast<QKeyEvent*>(event)->key() == Qt::Key_Return);
        if (clicked || pressed) {
            Q_EMIT websiteRequested();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace boardcast
