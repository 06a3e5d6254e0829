#pragma once
// The main window (design window Form1; its controls keep their design names, cmbConvert,
// txtMessage and so on, as object names): the command row, the message editor, the forums
// and posts panels under their tab strip, the browser panel and the three-panel status bar.
// main_window.cpp builds and lays out the controls and answers the window's events;
// main_window_commands.cpp carries out the commands of the buttons and menus. Both pass the
// work on: to the pure code (conversion, forum formats, the keyring move, list entries), to
// DesktopWatching (the watch list, the reply check and its timer) and to the panels.

#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "core/conversion/link_templates.h"
#include "core/shell/forum_store.h"
#include "core/shell/program_lists.h"
#include "core/shell/repeat_filter.h"
#include "core/storage/settings_store.h"
#include "core/watching/check_settings.h"
#include "core/watching/measurement.h"
#include "platform/desktop_notification.h"
#include "platform/desktop_watching.h"
#include "posting/auto_insert.h"
#include "ui/main/command_row.h"
#include "ui/main/format_chooser.h"
#include "ui/main/main_menus.h"
#include "ui/main/message_editor.h"
#include "ui/main/posts_panel.h"
#include "ui/widgets/tab_strip.h"

class QLabel;

namespace boardcast {

class BrowserCookies;
class BrowserPanel;
class ForumsPanel;
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
    // Refills the format chooser from the table.
    void updateInterface() { formatChooser->refill(); }
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
    void newMessage() { messageEditor_->clearMessage(); }
    void exitWithoutSaving();
    void pasteIntoPage(int index);
    void watchThisPost() { watchPage(false); }
    void removeWatchedPost();
    void checkForNewReplies();
    void stopReplyCheck();
    // The reply check's settings: stored, and in force from the next check (the timer at
    // once).
    void setCheckSettings(const CheckSettings& settings);
    const CheckSettings& checkSettings() const { return watching_->settings(); }
    void openCheckOptions();
    // Shows the desktop notification naming posts with new replies, which runs clicked
    // when the user clicks it; tests put their own.
    using ReplyNotifier = std::function<Status(const std::vector<ThreadWithNews>& threads,
                                               std::function<void()> clicked)>;
    void setReplyNotifier(ReplyNotifier notifier) { notifier_ = std::move(notifier); }
    void addCurrentForum();
    // Moves the forums' passwords into the desktop keyring (on) or back into posts2.txt
    // (off); a failure leaves them where they were and says why.
    Status setPasswordsInKeyring(bool on);
    bool passwordsInKeyring() const { return forumStore_->passwordsInKeyring(); }
    // The same from the menu: a failure is shown in a box.
    void keepPasswordsInKeyring(bool on);
    void removeForum();
    // TabStrip1: 0 "Show All", 1 "New Replies "
    void selectPostsTab(int index) { postsPanel_->selectTab(index); }
    void selectPanelTab(int index);  // TabStrip2: 0 "Your Forums", 1 "Your Posts"
    // Brings the window forward on the New Replies tab (a click on the notification).
    void showNewReplies();

    // The message and subject boxes, with CR LF line breaks.
    std::string messageText() const { return messageEditor_->messageText(); }
    void setMessageText(const std::string& text) { messageEditor_->setMessageText(text); }
    std::string subjectText() const { return messageEditor_->subjectText(); }
    void setSubjectText(const std::string& text) { messageEditor_->setSubjectText(text); }

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

private:
    // Construction, layout and events (main_window.cpp).
    void buildCommandRow(QWidget* area);
    void buildLists(QWidget* area);
    void startWatching();
    void askAsTheBrowser();
    void load(const std::string& homePage);
    void layoutMainWindow();
    void showError(const std::string& text);
    // A write that failed: in a message box naming the file and the reason, unless the same
    // failure was shown in the last minute; always in status panel 2.
    void reportWriteFailure(const Error& error);

    // Commands and what they show (main_window_commands.cpp).
    std::string pasteText(int index) const;
    // Watches the page shown, under address when given. postedNow: post detection found the
    // user's message on it, so the name the user posts under there is learnt.
    void watchPage(bool postedNow, const std::string& address = {});
    // The format of an Auto-Insert, Paste Message or Copy is kept for the page's forum; a
    // page of a forum with a kept format switches the chooser to it.
    void rememberFormatHere(const std::string& format);
    void followRememberedFormat();
    // The end of a check: the New Replies tab's count, and a notification when the window
    // is not the one in use.
    void replyCheckFinished();
    void openListEntry(const QString& address, bool newReplies);
    // Every change of a list is written at once, so that a crash or "E&xit" loses nothing.
    void storePosts();
    void storeForums();

    std::string folder_;
    SettingsStore& settings_;
    TemplateTable templates_;
    ProgramLists lists_;
    std::unique_ptr<DesktopWatching> watching_;
    // Goes before watching_, whose cookie jar it fills.
    std::unique_ptr<BrowserCookies> browserCookies_;
    ReplyNotifier notifier_ = notifyNewReplies;
    std::unique_ptr<PasswordVault> vault_;
    std::unique_ptr<ForumStore> forumStore_;
    RepeatFilter failureBoxes_;

    MainMenus menus_;
    CommandRow commandRow_;
    FormatChooser* formatChooser = nullptr;
    MessageEditor* messageEditor_ = nullptr;
    TabStrip listsTabs_;  // TabStrip2
    ForumsPanel* forumsPanel_ = nullptr;
    PostsPanel* postsPanel_ = nullptr;
    BrowserPanel* browserPanel_ = nullptr;
    std::array<QLabel*, 3> panels_{};
};

}  // namespace boardcast
