#include "ui/icons/emblem.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace boardcast {

void paintEmblem(QPainter& p) {
    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(30, 60, 96, 68), 16, 16);
    QPainterPath tail;
    tail.moveTo(52, 122);
    tail.lineTo(44, 148);
    tail.lineTo(80, 126);
    tail.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 251, 255));
    p.drawPath(bubble.united(tail));
    p.setPen(QPen(kEmblemSky, 6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(50, 84), QPointF(106, 84));
    p.drawLine(QPointF(50, 102), QPointF(92, 102));
    p.setPen(QPen(kEmblemGold, 4, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    for (int r : {14, 25, 36}) p.drawArc(QRectF(138 - r, 94 - r, 2 * r, 2 * r), -40 * 16, 80 * 16);
}

void paintEmblemSquare(QPainter& p, double side) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, side);
    sky.setColorAt(0, kEmblemSky);
    sky.setColorAt(1, kEmblemNight);
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawRoundedRect(QRectF(0, 0, side, side), side / 8.0, side / 8.0);
    // The emblem's box is 144 by 92 units; centre it with a margin.
    const double scale = side * 0.8 / 144.0;
    p.translate(side / 2.0 - 102 * scale, side / 2.0 - 104 * scale);
    p.scale(scale, scale);
    paintEmblem(p);
    p.restore();
}

QPixmap emblemPicture(int side) {
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    paintEmblemSquare(p, side);
    return pixmap;
}

QIcon programIcon(const QString& appId) {
    QIcon drawn;
    for (int side : {16, 24, 32, 48, 64, 128, 256}) drawn.addPixmap(emblemPicture(side));
    return QIcon::fromTheme(appId, drawn);
}

}  // namespace boardcast
