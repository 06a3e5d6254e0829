#pragma once
// The windows' designs place and size their controls in twips; 15 twips make a logical
// pixel. Every window converts through these.

#include <QRect>
#include <QString>

class QLabel;
class QPushButton;
class QWidget;

#include "core/shell/main_window_layout.h"

namespace boardcast {

constexpr int px(int twips) {
    return twips / kTwipsPerPixel;
}

// A rectangle given in twips, in pixels.
inline QRect tw(int left, int top, int width, int height) {
    return {px(left), px(top), px(width), px(height)};
}

// Names a control after its design name and puts it at its place.
template <class W>
W* place(W* widget, const char* name, QRect geometry) {
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(geometry);
    return widget;
}

// A label sized to its text, at its place in twips.
QLabel* label(QWidget* parent, const char* text, int left, int top);

// A push button at its place, with its tip when given.
QPushButton* button(QWidget* parent, const char* name, const char* caption, QRect geometry,
                    const char* tip = nullptr);

}  // namespace boardcast
