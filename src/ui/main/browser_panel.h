#pragma once
// The browser panel of the main window ("Browser", object name Frame2): the address box
// (Text5) with its label, the go, back, forward, stop and refresh buttons (Command3 to
// Command7), the check box "No Popups" (Check1) and the embedded browser (WebBrowser1). It reports
// the download state to status panel 1 and the browser's status text to panel 2, pastes texts into
// the focused field of the page, and runs auto-insert with its post detection.

#include <QGroupBox>
#include <functional>
#include <memory>
#include <string>

#include "core/watching/measurement.h"
#include "posting/auto_insert.h"
#include "posting/browser.h"

class QCheckBox;

namespace boardcast {

class WebEngineBrowser;
struct AddressBar;
struct MainWindowLayout;

class BrowserPanel final : public QGroupBox {
    Q_OBJECT

public:
    // Where the texts of the four paste indices come from: 0 subject, 1 username,
    // 2 password, 3 the message converted in the chosen format (without added line breaks).
    struct Services {
        std::string scanRecordPath;                 // htmltemp.txt
        std::function<std::string(int)> pasteText;  // by paste index
        AutoInsert::WatchPage watchCurrentPage;     // "Watch This Post" after post detection
        std::function<void()> pageLoaded{};         // after each completed download
    };

    BrowserPanel(StatusPanels& status, Services services, QWidget* parent = nullptr);
    ~BrowserPanel() override;

    Browser& browser();
    WebEngineBrowser& webEngine();
    AutoInsert& autoInsert();

    // The window's resize rules for the panel's inside: the address box's width, the go
    // button's place and the browser's size; the rest keeps its design place.
    void applyLayout(const MainWindowLayout& layout);

    // Auto-insert of the outgoing text; a failure shows "Auto-Insert Error". then hears the
    // outcome.
    void autoInsertMessage(InsertRequest request,
                           std::function<void(const InsertResult&)> then = {});
    // Paste index 0 to 3; any other index does nothing.
    void pasteIntoPage(int index);
    void navigate(const std::string& address);
    // Opens address in a browser window of its own, like a window a page opens.
    void openInNewWindow(const std::string& address);
    std::string currentAddress() const;
    std::string currentTitle() const;

private:
    // Whether a page's request for a new window is refused: while "No Popups" is ticked.
    std::function<bool()> popupRule() const;

    StatusPanels& status_;
    Services services_;
    BrowserEventHandlers events_;
    WebEngineBrowser* browser_ = nullptr;
    std::unique_ptr<AutoInsert> autoInsert_;
    std::unique_ptr<AddressBar> addressBar_;
    QCheckBox* noPopupsBox = nullptr;
};

}  // namespace boardcast
