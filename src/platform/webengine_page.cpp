#include "platform/webengine_page.h"

#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <utility>

namespace boardcast {

namespace {

// A page opens windows only from the user's click (a link with a target, a button), as in a
// browser; a script of its own may not.
void refuseScriptedWindows(QWebEnginePage& page) {
    page.settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
}

}  // namespace

WebEnginePage::WebEnginePage(QObject* parent) : QWebEnginePage(parent) {
    refuseScriptedWindows(*this);
}

WebEnginePage::WebEnginePage(QWebEngineProfile* profile, QObject* parent)
    : QWebEnginePage(profile ? profile : QWebEngineProfile::defaultProfile(), parent) {
    refuseScriptedWindows(*this);
}

WebEnginePage::~WebEnginePage() {
    lifetime_.reset();
}

void WebEnginePage::setWindowFactory(WindowFactory factory) {
    windowFactory_ = std::move(factory);
}

QWebEnginePage* WebEnginePage::createWindow(WebWindowType) {
    // Tabs, windows and dialogs all become one kind of window.
    return windowFactory_ ? windowFactory_() : nullptr;
}

}  // namespace boardcast
