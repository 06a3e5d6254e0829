#pragma once
// The status bar StatusBar1 of a window, filled with framed text panels StatusPanel1,
// StatusPanel2, ... whose widths the window's layout sets.

#include <span>

class QLabel;
class QMainWindow;

namespace boardcast {

void addStatusPanels(QMainWindow& window, std::span<QLabel*> panels);

}  // namespace boardcast
