#pragma once
// Where the windows stood when they were last closed, kept in the settings so that they
// open there again.

#include <QWidget>
#include <string_view>

#include "core/storage/settings_store.h"

namespace boardcast {

// Puts the window where it was last kept under name; false when nothing was kept. A place
// off every screen that now exists is moved onto one.
bool restorePlace(QWidget& window, SettingsStore& settings, std::string_view name);

// Keeps where the window stands now under name. A failure is told on standard error: the
// window will then open at its first place.
void keepPlace(const QWidget& window, SettingsStore& settings, std::string_view name);

// Places a window that opens beside main for the first time: to its right when the screen
// has room, else over main's lower right part, under its command row (commandRowBottom, in
// main's coordinates) and no larger than main.
void placeBeside(QWidget& window, const QWidget& main, int commandRowBottom);

}  // namespace boardcast
