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
    QWebEnginePage* page = windowFactory_ ? windowFactory_() : nullptr;
    // The engine (Qt 6.4) hands the window's own contents to the page without web preferences;
    // they come from the page's settings, which have them only once the page has started. A
    // document that the opener writes into the window would otherwise crash the engine when it
    // is first painted.
    if (page) page->runJavaScript(QStringLiteral("0"));
    return page;
}

}  // namespace boardcast
