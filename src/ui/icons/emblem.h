#pragma once
// The program's emblem, a speech bubble sending out waves, shared by the splash and the
// About window.

#include <QColor>
#include <QIcon>
#include <QPixmap>

class QPainter;

namespace boardcast {

inline const QColor kEmblemGold(255, 192, 70);
inline const QColor kEmblemSky(38, 88, 160);
inline const QColor kEmblemNight(16, 36, 74);

// Paints the emblem into the box (30, 58) to (174, 150) of the painter's coordinates.
void paintEmblem(QPainter& p);

// The emblem on a night-blue rounded square from (0, 0) to (side, side).
void paintEmblemSquare(QPainter& p, double side);

// That square as a picture of side pixels, for a picture box.
QPixmap emblemPicture(int side);

// The program's icon: the installed theme icon named appId when there is one, else the
// emblem picture at the usual icon sizes.
QIcon programIcon(const QString& appId);

}  // namespace boardcast
