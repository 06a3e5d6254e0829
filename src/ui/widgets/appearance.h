#pragma once
// Two services the windows share: keeping a window above all others, and skinning. Skinning
// recolours a window's controls from the program-wide skin's three colours; windows call it
// only when productIdentity().skinEnabled is set, which this build never does.

#include <QColor>
#include <QString>
#include <vector>

class QWidget;

namespace boardcast {

// Puts the window on the always-on-top layer or takes it off, keeping its position, size and
// visibility.
void setTopmost(QWidget& window, bool onTop);

struct SkinColours {
    QColor buttonAndField;
    QColor fieldText;
    QColor pictureBackground;
};

// The program-wide skin: its colours, and whether it has been started for the application.
struct ProgramSkin {
    SkinColours colours;
    bool running = false;
};
ProgramSkin& programSkin();
void startProgramSkin();
void stopProgramSkin();

// Recolours buttons, text and list controls and pictures of the window through their palettes,
// then gives the window itself the skin's colours.
void applySkin(QWidget& window);

// A skin-label array: its element 0 sits in container, named name; further elements are named
// name + "_" + index.
struct SkinLabelArray {
    QWidget* container;
    QString name;
};

// Every plain label of the window whose container holds a skin-label array gets a copy in that
// array (position, size, font, caption, visibility); then the window is skinned.
void mirrorLabels(QWidget& window, const std::vector<SkinLabelArray>& arrays);

// What every window's load does for appearance: nothing unless skinning is on.
void skinWindow(QWidget& window, const std::vector<SkinLabelArray>& arrays = {});

}  // namespace boardcast
