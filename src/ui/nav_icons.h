#pragma once
// Pictures of the browser's navigation buttons, drawn with QPainter at several sizes so
// they stay sharp on high-density screens.

#include <QIcon>

namespace boardcast {

enum class NavIcon { Go, Back, Forward, Stop, Refresh };

QIcon navIcon(NavIcon which);

}  // namespace boardcast
