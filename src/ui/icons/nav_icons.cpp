#include "ui/icons/nav_icons.h"

#include "posting/browser.h"
#include "ui/icons/painted_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>
#include <QToolButton>
#include <QtMath>

namespace boardcast {

namespace {

const QColor kArrowColor(36, 110, 60);
const QColor kStopColor(190, 40, 30);
const QColor kRefreshColor(30, 90, 170);
const QColor kGoColor(40, 140, 60);

// A horizontal arrow across the 16-unit square, pointing left or right.
void drawArrow(QPainter& p, bool right) {
    QPolygonF arrow({{2, 8}, {8, 2.5}, {8, 5.5}, {14, 5.5}, {14, 10.5}, {8, 10.5}, {8, 13.5}});
    if (right) {
        for (QPointF& point : arrow) point.setX(16 - point.x());
    }
    p.setPen(QPen(kArrowColor.darker(140), 0.8));
    p.setBrush(kArrowColor);
    p.drawPolygon(arrow);
}

void drawCross(QPainter& p) {
    p.setPen(QPen(kStopColor, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(4, 4), QPointF(12, 12));
    p.drawLine(QPointF(12, 4), QPointF(4, 12));
}

// Most of a circle, clockwise from the top, with an arrowhead where it ends.
void drawCircularArrow(QPainter& p) {
    const QPointF centre(8, 8);
    const double radius = 5;
    const double startDeg = 80;
    const double spanDeg = -280;
    p.setPen(QPen(kRefreshColor, 2.2, Qt::SolidLine, Qt::FlatCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius),
              qRound(startDeg * 16), qRound(spanDeg * 16));

    const double end = qDegreesToRadians(startDeg + spanDeg);
    const QPointF tip = centre + QPointF(radius * qCos(end), -radius * qSin(end));
    const QPointF ahead(qSin(end), qCos(end));  // clockwise tangent on screen
    const QPointF outward(qCos(end), -qSin(end));
    p.setPen(Qt::NoPen);
    p.setBrush(kRefreshColor);
    p.drawPolygon(QPolygonF({tip + 3.2 * ahead, tip + 3 * outward, tip - 3 * outward}));
}

// A right arrow on a green disc.
void drawGo(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(kGoColor);
    p.drawEllipse(QRectF(1, 1, 14, 14));
    p.setBrush(Qt::white);
    p.drawPolygon(
        QPolygonF({{12.5, 8}, {8.5, 4}, {8.5, 6.5}, {4, 6.5}, {4, 9.5}, {8.5, 9.5}, {8.5, 12}}));
}

void draw(QPainter& p, NavIcon which) {
    switch (which) {
        case NavIcon::Go:
            drawGo(p);
            break;
        case NavIcon::Back:
            drawArrow(p, false);
            break;
        case NavIcon::Forward:
            drawArrow(p, true);
            break;
        case NavIcon::Stop:
            drawCross(p);
            break;
        case NavIcon::Refresh:
            drawCircularArrow(p);
            break;
    }
}

}  // namespace

QIcon navIcon(NavIcon which) {
    return paintedIcon(16, {16, 24, 32, 48}, [which](QPainter& p) { draw(p, which); });
}

namespace {

QToolButton* makeButton(QWidget* parent, const char* name, const char* tip, NavIcon icon,
                        QSize size) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(QLatin1String(tip));
    button->setIcon(navIcon(icon));
    button->setIconSize(QSize(16, 16));
    button->setFixedSize(size);
    return button;
}

}  // namespace

NavButtons makeNavButtons(QWidget* parent, Browser& browser, QSize goSize, QSize navSize) {
    NavButtons b{makeButton(parent, "Command3", "browse the entered url", NavIcon::Go, goSize),
                 makeButton(parent, "Command4", "back", NavIcon::Back, navSize),
                 makeButton(parent, "Command5", "forward", NavIcon::Forward, navSize),
                 makeButton(parent, "Command6", "stop", NavIcon::Stop, navSize),
                 makeButton(parent, "Command7", "refresh", NavIcon::Refresh, navSize)};
    QObject::connect(b.back, &QToolButton::clicked, parent, [&browser] { browser.goBack(); });
    QObject::connect(b.forward, &QToolButton::clicked, parent, [&browser] { browser.goForward(); });
    QObject::connect(b.stop, &QToolButton::clicked, parent, [&browser] { browser.stop(); });
    QObject::connect(b.refresh, &QToolButton::clicked, parent, [&browser] { browser.refresh(); });
    return b;
}

}  // namespace boardcast
