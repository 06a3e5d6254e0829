#include "platform/webengine_page.h"

#include <QWebEngineProfile>
#include <utility>

namespace boardcast {

WebEnginePage::WebEnginePage(QObject* parent) : QWebEnginePage(parent) {}

WebEnginePage::WebEnginePage(QWebEngineProfile* profile, QObject* parent)
    : QWebEnginePage(profile ? profile : QWebEngineProfile::defaultProfile(), parent) {}

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
