#pragma once
// An icon painted by code: draw paints on a square of designSize units, which is scaled to
// each pixel size so the picture stays sharp on high-density screens.

#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <initializer_list>

namespace boardcast {

template <class Draw>
QIcon paintedIcon(double designSize, std::initializer_list<int> sizes, Draw draw) {
    QIcon icon;
    for (int size : sizes) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / designSize, size / designSize);
        draw(p);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace boardcast
