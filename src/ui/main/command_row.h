#pragma once
// The main window's command row: Auto-Insert, Preview, Copy, Save, Load, Options and the
// makers' web site, at their design places; the window connects them.

class QPushButton;
class QToolButton;
class QWidget;

namespace boardcast {

struct CommandRow {
    QToolButton* autoInsert = nullptr;
    QToolButton* preview = nullptr;
    QToolButton* copy = nullptr;
    QToolButton* save = nullptr;
    QToolButton* load = nullptr;
    QToolButton* options = nullptr;
    QPushButton* website = nullptr;  // its caption wraps
};

// Builds the row's buttons on area (the format chooser between them is the window's).
CommandRow buildCommandRow(QWidget* area);

}  // namespace boardcast
