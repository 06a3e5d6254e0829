#pragma once
// A window that a page opened (window.open, a link with a target): a small browser of our
// own with the address box Text1, the navigation buttons Command3 to Command7 and a status
// bar (the browser's status text, the download state), on the opener's profile so that it
// shares the opener's logins. Its caption follows the page's title; the page may close it.

#include <QMainWindow>
#include <array>
#include <functional>

#include "browser/browser.h"
#include "platform/webengine_browser.h"

class QLabel;
class QLineEdit;

namespace boardcast {

class PopupWindow final : public QMainWindow, public BrowserEvents {
    Q_OBJECT

public:
    // refuse tells, at each request of this window's pages for a further window, whether to
    // refuse it. The window deletes itself when closed.
    PopupWindow(QWebEngineProfile* profile, std::function<bool()> refuse);
    ~PopupWindow() override;

    WebEngineBrowser& webEngine() { return *browser_; }

    // BrowserEvents
    void onStatusTextChange(const std::string& text) override;
    void onProgressChange(int percent) override;
    void onDownloadBegin() override;
    void onDownloadComplete() override;
    void onTitleChange(const std::string& title) override;
    bool onNewWindow() override;

private:
    WebEngineBrowser* browser_ = nullptr;
    QLineEdit* addressEdit = nullptr;
    std::function<bool()> refuse_;
    std::array<QLabel*, 2> panels_{};
};

// Shows each new window of a page in a frmPopup; refuse decides as above.
WebEngineBrowser::PopupFactory popupWindows(std::function<bool()> refuse);

}  // namespace boardcast
