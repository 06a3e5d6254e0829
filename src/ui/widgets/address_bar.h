#pragma once
// The address row that every browser of the program has: the "URL:" label, the address box
// and the go, back, forward, stop and refresh buttons (object names Command3 to Command7),
// wired to one browser. Return in the box or the go button opens the typed address; Ctrl+L
// selects the box and the usual keys go back, forward and reload, within the window. The
// owner places the widgets and calls showAddress() when the page's address changes.

#include <QSize>

#include "ui/icons/nav_icons.h"

class QLabel;
class QLineEdit;

namespace boardcast {

class WebEngineBrowser;

struct AddressBar {
    QLabel* label = nullptr;
    QLineEdit* edit = nullptr;
    NavButtons nav{};

    // The widgets are children of parent; the browser must outlive them. addressName is
    // the address box's object name.
    AddressBar(QWidget* parent, WebEngineBrowser& browser, const QString& addressName, QSize goSize,
               QSize navSize);

    // Puts the browser's address (as the user should see it) into the box.
    void showAddress(const WebEngineBrowser& browser) const;
};

}  // namespace boardcast
