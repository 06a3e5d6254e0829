#pragma once
// The website window: a maximised browser window, kept above the others, that shows the
// makers' web site. It has its own address box Text1, the navigation buttons Command3 to
// Command7 and a two-panel status bar (the browser's status text, the download state), and
// takes no part in inserting messages. Its caption follows the shown page's title.

#include <QMainWindow>
#include <array>
#include <string>

#include "browser/browser.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QToolButton;

namespace boardcast {

class WebEngineBrowser;

class WebsiteWindow final : public QMainWindow, public BrowserEvents {
    Q_OBJECT

public:
    // The window's load: panels, caption, always on top, then the browser sets off for
    // address. The opener shows it maximised.
    explicit WebsiteWindow(const std::string& address, QWidget* parent = nullptr);
    ~WebsiteWindow() override;

    WebEngineBrowser& webEngine() { return *browser_; }

    // BrowserEvents
    void onStatusTextChange(const std::string& text) override;
    void onProgressChange(int percent) override;
    void onDownloadBegin() override;
    void onDownloadComplete() override;
    void onTitleChange(const std::string& title) override;
    bool onNewWindow() override;

Q_SIGNALS:
    // The window is closing (its close box or the system); it is destroyed afterwards.
    void closed();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void openEnteredAddress();
    void layoutWindow();

    WebEngineBrowser* browser_ = nullptr;
    QGroupBox* browserFrame = nullptr;
    QLineEdit* addressEdit = nullptr;
    QToolButton* goButton = nullptr;
    std::array<QLabel*, 2> panels_{};
};

}  // namespace boardcast
