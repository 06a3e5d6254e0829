#pragma once
// The main window (design window Form1; its controls keep their design names, cmbConvert,
// txtMessage and so on, as object names): the command row, the message editor, the forums
// and posts panels under their tab strip, the browser panel and the three-panel status bar. Every
// handler passes straight to the pure code (conversion, message library, watch list, reply check,
// forum accounts); the window only moves texts between its controls and that code.

#include <QMainWindow>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "posting/auto_insert.h"
#include "core/conversion/link_templates.h"
#include "core/shell/program_lists.h"
#include "core/storage/settings_store.h"
#include "core/watching/check_settings.h"
#include "core/watching/measurement.h"
#include "core/watching/reply_notice.h"
#include "platform/desktop_notification.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QTimer;
class QPlainTextEdit;
class QPushButton;
class QTabBar;
class QToolButton;

namespace boardcast {

class BrowserCookies;
class BrowserPanel;
class PostWatcher;
class WatchingService;
struct CheckTarget;
struct ThreadNews;
class TitleList;
class PasswordVault;

class MainWindow final : public QMainWindow, public StatusPanels {
    Q_OBJECT

public:
    // The window's load runs here: data files, lists, templates and the restored message.
    // homePage is the first address the browser opens.
    MainWindow(std::string appFolder, SettingsStore& settings, std::string homePage,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    void setPanelText(int panel, const std::string& text) override;

    // The template table (module globals); the template editor edits it and then calls
    // updateInterface and saveTemplates.
    TemplateTable& templates() { return templates_; }
    // Refills the format chooser from the table. The entry selected before stays selected
    // while its name is listed; otherwise "text" is, and status panel 2 says so.
    void updateInterface();
    const ProgramLists& lists() const { return lists_; }
    // Where the command row ends, in the window's coordinates: what a window opened beside
    // this one must leave free.
    int commandRowBottom() const;
    const std::string& appFolder() const { return folder_; }
    SettingsStore& settings() { return settings_; }
    BrowserPanel& browserPanel() { return *browserPanel_; }

    // Commands of the buttons and menus.
    void autoInsert();
    void preview();
    void copyMessage();
    void saveCurrentMessage();
    void newMessage();
    void exitWithoutSaving();
    void pasteIntoPage(int index);
    void watchThisPost();
    void removeWatchedPost();
    void checkForNewReplies();
    void stopReplyCheck();
    // The reply check's settings: stored, and in force from the next check (the timer at
    // once).
    void setCheckSettings(const CheckSettings& settings);
    const CheckSettings& checkSettings() const { return checkSettings_; }
    // Shows the desktop notification naming posts with new replies, which runs clicked
    // when the user clicks it; tests put their own.
    using ReplyNotifier = std::function<Status(const std::vector<ThreadWithNews>& threads,
                                               std::function<void()> clicked)>;
    void setReplyNotifier(ReplyNotifier notifier) { notifier_ = std::move(notifier); }
    void addCurrentForum();
    // Moves the forums' passwords into the desktop keyring (on) or back into posts2.txt
    // (off); a failure leaves them where they were and says why.
    Status setPasswordsInKeyring(bool on);
    bool passwordsInKeyring() const { return passwordsInKeyring_; }
    void removeForum();
    void selectPostsTab(int index);  // TabStrip1: 0 "Show All", 1 "New Replies "
    void selectPanelTab(int index);  // TabStrip2: 0 "Your Forums", 1 "Your Posts"
    // Brings the window forward on the New Replies tab (a click on the notification).
    void showNewReplies();

    // The message and subject boxes, with CR LF line breaks.
    std::string messageText() const;
    void setMessageText(const std::string& text);
    std::string subjectText() const;
    void setSubjectText(const std::string& text);

Q_SIGNALS:
    // Entries that open the secondary windows; the program connects them.
    void savedMessagesRequested();
    void templateEditorRequested();
    void websiteRequested();
    void helpRequested();
    void aboutRequested();
    // The orderly shutdown has written everything; secondary windows should close.
    void closing();
    // messages.txt changed (a message was saved).
    void messagesChanged();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildCommandRow(QWidget* area);
    void buildMessageEditor(QWidget* area);
    void buildForumsPanel(QWidget* area);
    void buildPostsPanel(QWidget* area);
    void buildMenus();
    void load(const std::string& homePage);
    void layoutMainWindow();
    std::string chooserText() const;
    // Stores the chooser's selection, by index and by name.
    Status rememberChooserChoice();
    std::string pasteText(int index) const;
    void refreshPosts();
    void connectReplyCheck();
    // The check asks as the embedded browser does: its User-Agent and language, and the
    // cookies of the user's logins.
    void askAsTheBrowser();
    void rebuildReplyCheck();
    // Watches the page shown, under address when given. postedNow: post detection found the
    // user's message on it, so the name the user posts under there is learnt.
    void watchPage(bool postedNow, const std::string& address = {});
    // The format of an Auto-Insert, Paste Message or Copy is kept for the page's forum; a
    // page of a forum with a kept format switches the chooser to it.
    void rememberFormatHere(const std::string& format);
    void followRememberedFormat();
    // Selects the chooser's entry called name, when it is listed, and stores the choice.
    bool selectFormat(const std::string& name);
    // Before the chosen format's tags go into a Markdown composer.
    void askAboutMarkdown(const std::function<void(MarkdownAnswer)>& answer);
    void notePostOutcome(const std::string& address, const MeasureFailure* failure);
    void applyCheckTimer();
    void openCheckOptions();
    // The end of a check: the New Replies tab's count, and a notification when the window
    // is not the one in use.
    void replyCheckFinished();
    // Shows the watched post at address as it now stands: its title, its tip (address,
    // times, and why it could not be fetched) and the mark of an unreachable post.
    void showPost(const std::string& address);
    void describePost(QListWidgetItem* entry, const std::string& address) const;
    // A page the check fetched: its title and times go into the post's details.
    void noteFetched(const std::string& address, const MeasuredPage& page,
                     const CheckTarget& target, const ThreadNews& news);
    // The threads the last check found with new replies, as the user is told of them.
    std::vector<ThreadWithNews> threadsWithNews() const;
    // The user renamed a forum in place.
    void renameForum(QListWidgetItem* item);
    // Every change of a list is written at once, so that a crash or "E&xit" loses nothing.
    void storePosts();
    void storeForums();
    void refreshNewReplies();
    void refreshForums();
    void showLoginFields();
    void forumClicked(int row);
    void openListEntry(QListWidget* list, int row);
    void showError(const std::string& text);
    // A write that failed: in a message box naming the file and the reason, unless the same
    // failure was shown in the last minute; always in status panel 2.
    void reportWriteFailure(const Error& error);

    std::string folder_;
    SettingsStore& settings_;
    TemplateTable templates_;
    ProgramLists lists_;
    bool syncingFields_ = false;

    // The check's progress reaches panel 1 at most a few times a second.
    class ThrottledPanels;
    std::unique_ptr<ThrottledPanels> checkPanels_;
    std::unique_ptr<WatchingService> watching_;
    // Goes before watching_, whose cookie jar it fills.
    std::unique_ptr<BrowserCookies> browserCookies_;
    std::unique_ptr<PostWatcher> watcher_;
    QAction* stopCheckAction_ = nullptr;
    CheckSettings checkSettings_;
    bool checkRebuildPending_ = false;
    QTimer* checkTimer_ = nullptr;
    ReplyNotifier notifier_ = notifyNewReplies;
    std::unique_ptr<PasswordVault> vault_;
    bool passwordsInKeyring_ = false;
    QAction* keyringAction_ = nullptr;
    // address -> why it could not be fetched, or was not the thread
    std::map<std::string, MeasureFailure> unreachable_;
    std::set<std::string> fellBack_;
    std::map<std::string, std::int64_t>
        failureShownAt_;  // failure text -> when, in ms  // checked on their own page: the latest
                          // was out of reach
    static constexpr int kMessageStoreDelayMs = 1000;
    // The filter box above a list, in twips, and how far down it moves the list.
    static constexpr int kFilterHeight = 285;
    static constexpr int kFilterShift = kFilterHeight + 45;
    QTimer* messageStore_ = nullptr;  // stores the message once the typing pauses

    QToolButton* autoInsertButton = nullptr;
    QComboBox* formatChooser = nullptr;
    QToolButton* previewButton = nullptr;
    QToolButton* copyButton = nullptr;
    QToolButton* saveButton = nullptr;
    QToolButton* loadButton = nullptr;
    QToolButton* optionsButton = nullptr;
    QPushButton* websiteButton = nullptr;
    QGroupBox* messageEditorFrame = nullptr;
    QLineEdit* subjectEdit = nullptr;
    QPlainTextEdit* messageEdit = nullptr;
    std::array<QPushButton*, 4> pasteButtons{};
    QWidget* listsArea = nullptr;
    QTabBar* listsTabBar = nullptr;
    QGroupBox* forumsFrame = nullptr;
    QPushButton* addForumButton = nullptr;
    QPushButton* removeForumButton = nullptr;
    QLineEdit* usernameEdit = nullptr;
    QLineEdit* passwordEdit = nullptr;
    TitleList* forumsList = nullptr;
    QLineEdit* forumsFilter = nullptr;
    QGroupBox* postsFrame = nullptr;
    QPushButton* watchPostButton = nullptr;
    QPushButton* removePostButton = nullptr;
    QTabBar* postsTabBar = nullptr;
    QLineEdit* postsFilter = nullptr;
    TitleList* postsList = nullptr;
    TitleList* newRepliesList = nullptr;
    QPushButton* checkRepliesButton = nullptr;
    BrowserPanel* browserPanel_ = nullptr;
    std::array<QLabel*, 3> panels_{};
};

}  // namespace boardcast
