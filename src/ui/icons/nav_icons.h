#pragma once
// Pictures of the browser's navigation buttons, drawn with QPainter at several sizes so
// they stay sharp on high-density screens.

#include <QIcon>
#include <QSize>

class QToolButton;
class QWidget;

namespace boardcast {

class Browser;

enum class NavIcon { Go, Back, Forward, Stop, Refresh };

QIcon navIcon(NavIcon which);

// The go, back, forward, stop and refresh buttons of a browser, Command3 to Command7, with
// their pictures and tips. Back, forward, stop and refresh act on the browser directly; the
// go button is left to the caller, which knows where the address comes from.
struct NavButtons {
    QToolButton* go;
    QToolButton* back;
    QToolButton* forward;
    QToolButton* stop;
    QToolButton* refresh;
};
NavButtons makeNavButtons(QWidget* parent, Browser& browser, QSize goSize, QSize navSize);

}  // namespace boardcast
