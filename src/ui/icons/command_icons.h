#pragma once
// Pictures of the main window's square command buttons, drawn with QPainter on a 32-unit
// square at several sizes so they stay sharp on high-density screens.

#include <QIcon>

namespace boardcast {

enum class CommandIcon { AutoInsert, Preview, Copy, Save, Load, Options };

QIcon commandIcon(CommandIcon which);

}  // namespace boardcast
