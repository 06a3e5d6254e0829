#include "ui/widgets/address_bar.h"

#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QToolButton>

#include "platform/qt_strings.h"
#include "platform/webengine_browser.h"

namespace boardcast {

AddressBar::AddressBar(QWidget* parent, WebEngineBrowser& browser, const QString& addressName,
                       QSize goSize, QSize navSize)
    : label(new QLabel(QStringLiteral("URL:"), parent)),
      edit(new QLineEdit(parent)),
      nav(makeNavButtons(parent, browser, goSize, navSize)) {
    edit->setObjectName(addressName);
    QLineEdit* box = edit;
    auto open = [&browser, box] { browser.navigate(toStdString(box->text())); };
    QObject::connect(nav.go, &QToolButton::clicked, box, open);
    QObject::connect(box, &QLineEdit::returnPressed, box, open);

    nav.back->setShortcut(QKeySequence::Back);
    nav.forward->setShortcut(QKeySequence::Forward);
    nav.refresh->setShortcut(QKeySequence::Refresh);
    auto* toAddress = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), parent);
    toAddress->setContext(Qt::WindowShortcut);
    QObject::connect(toAddress, &QShortcut::activated, box, [box] {
        box->setFocus(Qt::ShortcutFocusReason);
        box->selectAll();
    });
}

void AddressBar::showAddress(const WebEngineBrowser& browser) const {
    edit->setText(browser.displayAddress());
}

}  // namespace boardcast
