#pragma once
// A browser window of its own, in one of two roles:
// - the website window (design window frmWebsite): maximised, kept above the others, showing
//   the makers' web site, laid out by the design's rules (the frame frmBrowser, the address
//   box Text1), its caption the web site text and then the shown page's name;
// - a window that a page opened (window.open, a link with a target; object name frmPopup):
//   a small browser on the opener's profile, so that it shares the opener's logins, whose
//   caption follows the page's title and which the page may resize or close.
// Both have the address row, a two-panel status bar (the browser's status text, the
// download state) and take no part in inserting messages. Both delete themselves when
// closed.

#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "platform/webengine_browser.h"
#include "posting/browser.h"

class QGroupBox;
class QLabel;

namespace boardcast {

struct AddressBar;

class WebsiteWindow final : public QMainWindow {
    Q_OBJECT

public:
    // The website window: the browser sets off for address. The opener shows it maximised.
    explicit WebsiteWindow(const std::string& address, QWidget* parent = nullptr);
    // A window a page opened, on profile. refuse tells, at each request of this window's
    // pages for a further window, whether to refuse it.
    WebsiteWindow(QWebEngineProfile* profile, std::function<bool()> refuse);
    ~WebsiteWindow() override;

    WebEngineBrowser& webEngine() { return *browser_; }

Q_SIGNALS:
    // The window is closing (its close box, the system or its page); it is destroyed afterwards.
    void closed();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    enum class Role { MakersSite, PageWindow };
    WebsiteWindow(Role role, QWebEngineProfile* profile, std::function<bool()> refuse,
                  QWidget* parent);
    void placeAsMakersSite();
    void placeAsPageWindow();
    void layoutWindow();
    void showLoadedPage();

    Role role_;
    std::function<bool()> refuse_;
    BrowserEventHandlers events_;
    WebEngineBrowser* browser_ = nullptr;
    QGroupBox* browserFrame = nullptr;  // the makers' site only
    std::unique_ptr<AddressBar> addressBar_;
    std::array<QLabel*, 2> panels_{};
};

// Shows each new window of a page in a window of its own; refuse decides as above.
WebEngineBrowser::PopupFactory popupWindows(std::function<bool()> refuse);

}  // namespace boardcast
