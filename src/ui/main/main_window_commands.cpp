// The main window's commands: each passes the work on and shows what came of it.

#include <QAction>
#include <QClipboard>
#include <QCoreApplication>
#include <QDateTime>
#include <QGuiApplication>
#include <QLocale>
#include <QTabBar>

#include "core/conversion/message_output.h"
#include "core/forums/password_vault.h"
#include "core/library/message_library.h"
#include "core/shell/forum_formats.h"
#include "core/shell/forum_store.h"
#include "core/shell/list_entries.h"
#include "core/shell/product_identity.h"
#include "core/text/address_text.h"
#include "core/watching/post_watcher.h"
#include "core/watching/reply_check.h"
#include "platform/desktop_watching.h"
#include "platform/qt_strings.h"
#include "ui/main/browser_panel.h"
#include "ui/main/format_chooser.h"
#include "ui/main/forums_panel.h"
#include "ui/main/main_window.h"
#include "ui/main/message_editor.h"
#include "ui/main/posts_panel.h"
#include "ui/widgets/message_box.h"
#include "ui/windows/check_options_dialog.h"

namespace boardcast {

namespace {

// Asks before several entries go at once; one goes without a question.
bool confirmRemoval(QWidget* parent, size_t count, const QString& what) {
    return count < 2 ||
           MessageBox::ask(parent, toQString(productIdentity().productName),
                           QStringLiteral("Remove the %1 selected %2?").arg(count).arg(what));
}

}  // namespace

void MainWindow::autoInsert() {
    InsertConversion converted =
        convertForInsert(messageText(), formatChooser->chosen(), templates_);
    InsertRequest request{std::move(converted.text), std::move(converted.link), messageText(),
                          std::move(converted.asText)};
    browserPanel_->autoInsertMessage(std::move(request), [this](const InsertResult& result) {
        // The chooser shows what went in: "text" when the user took it instead.
        if (result.written) rememberFormatHere(formatChooser->chosen());
    });
}

void MainWindow::rememberFormatHere(const std::string& format) {
    const Result<bool> kept =
        rememberFormat(lists_.forums, settings_, browserPanel_->currentAddress(), format);
    if (!kept) return reportWriteFailure(kept.error());
    if (kept.value()) storeForums();
}

void MainWindow::followRememberedFormat() {
    const std::string address = browserPanel_->currentAddress();
    const std::string format = rememberedFormat(lists_.forums, settings_, address);
    if (format.empty() || format == formatChooser->chosen()) return;
    if (formatChooser->select(format)) setPanelText(2, followedFormatText(format, address));
}

void MainWindow::preview() {
    MessageBox::show(this, QStringLiteral("message preview"),
                     toQString(outgoingText(messageText(), formatChooser->chosen(), templates_)));
}

void MainWindow::copyMessage() {
    QGuiApplication::clipboard()->setText(
        toQString(outgoingText(messageText(), formatChooser->chosen(), templates_)));
    rememberFormatHere(formatChooser->chosen());
}

void MainWindow::saveCurrentMessage() {
    if (Status s = saveMessage(folder_, messageText(), subjectText()); !s) {
        showError("The message was not saved. " + s.error().text);
        return;
    }
    setPanelText(1, "MESSAGE SAVED");
    Q_EMIT messagesChanged();
}

void MainWindow::exitWithoutSaving() {
    // Ends at once: no list file and no setting is written.
    QCoreApplication::exit(0);
}

std::string MainWindow::pasteText(int index) const {
    switch (index) {
        case 0:
            return subjectText();
        case 1:
            return lists_.forums.currentUsername();
        case 2:
            return lists_.forums.currentPassword();
        case 3:
            return bareMessageText(messageText(), formatChooser->chosen(), templates_);
        default:
            return {};
    }
}

void MainWindow::pasteIntoPage(int index) {
    // Without a forum there is no login to paste: the page's field keeps its text.
    if ((index == 1 || index == 2) && lists_.forums.selectedIndex() < 0) {
        setPanelText(2, std::string("Select a forum in Your Forums first; no ") +
                            (index == 1 ? "username" : "password") + " was pasted.");
        return;
    }
    browserPanel_->pasteIntoPage(index);
    if (index == 3) rememberFormatHere(formatChooser->chosen());
}

void MainWindow::watchPage(bool postedNow, const std::string& address) {
    const Status watched =
        watching_->watch(address.empty() ? browserPanel_->currentAddress() : address, postedNow);
    if (!watched) {
        // Always in the status bar; a full list, which the user must act on, in a box too.
        setPanelText(2, watched.error().text);
        if (watched.error().code == ErrorCode::Limit) showError(watched.error().text);
        return;
    }
    postsPanel_->refresh();
    storePosts();
}

void MainWindow::removeWatchedPost() {
    // Only entries the user selected; tabbing into the list makes a row current without
    // selecting it.
    const std::vector<int> rows = postsPanel_->selectedPosts();
    if (rows.empty() || !confirmRemoval(this, rows.size(), QStringLiteral("watched posts"))) return;
    watching_->removeWatches(rows);
    postsPanel_->refresh();
    postsPanel_->clearChoice();
    storePosts();
}

// The check reads the list as it stands when it starts.
void MainWindow::checkForNewReplies() {
    watching_->startCheck(accountNamesByHost(lists_.forums), [this] { replyCheckFinished(); });
}

void MainWindow::replyCheckFinished() {
    storePosts();  // the titles and times it learnt
    const std::vector<ThreadWithNews> found = watching_->threadsWithNews();
    postsPanel_->setNewRepliesCount(found.size());
    if (found.empty() || isActiveWindow() || !notifier_) return;
    if (Status shown = notifier_(found, [this] { showNewReplies(); }); !shown) {
        setPanelText(2, shown.error().text);
    }
}

void MainWindow::showNewReplies() {
    if (isMinimized()) showNormal();
    raise();
    activateWindow();
    selectPostsTab(1);
}

void MainWindow::stopReplyCheck() {
    if (watching_->stopCheck()) storePosts();
}

void MainWindow::setCheckSettings(const CheckSettings& settings) {
    if (Status s = watching_->setSettings(settings); !s) reportWriteFailure(s.error());
}

void MainWindow::openCheckOptions() {
    CheckOptionsDialog dialog(watching_->settings(), this);
    if (dialog.exec() == QDialog::Accepted) setCheckSettings(dialog.settings());
}

void MainWindow::addCurrentForum() {
    if (forumsPanel_->add(browserPanel_->currentAddress(), browserPanel_->currentTitle()))
        storeForums();
}

void MainWindow::removeForum() {
    const std::vector<int> rows = forumsPanel_->selectedRows();
    if (rows.empty() || !confirmRemoval(this, rows.size(), QStringLiteral("forums"))) return;
    forumStore_->remove(rows);
    forumsPanel_->refresh();
    forumsPanel_->clearChoice();
    storeForums();
}

void MainWindow::storePosts() {
    if (!lists_.postsLoaded) return;  // its files stay as they are (unreadable or cut)
    for (const Error& e : saveWatchLists(folder_, lists_.posts)) reportWriteFailure(e);
}

void MainWindow::storeForums() {
    if (Status s = forumStore_->store(); !s) reportWriteFailure(s.error());
}

Status MainWindow::setPasswordsInKeyring(bool on) {
    const Result<std::string> moved = forumStore_->movePasswords(on);
    menus_.keyring->setChecked(forumStore_->passwordsInKeyring());
    if (!moved) return moved.error();
    if (!moved.value().empty()) setPanelText(2, moved.value());
    return {};
}

void MainWindow::keepPasswordsInKeyring(bool on) {
    if (Status s = setPasswordsInKeyring(on); !s) showError(s.error().text);
}

void MainWindow::openListEntry(const QString& entry, bool newReplies) {
    std::string shown = toStdString(entry);
    if (newReplies) {
        if (std::optional<std::string> first = watching_->markRepliesSeen(shown)) {
            shown = *first;
            storePosts();
        }
    }
    browserPanel_->autoInsert().armPostCheck();
    browserPanel_->navigate(shown);
}

void MainWindow::selectPanelTab(int index) {
    if (listsTabs_.tabs->currentIndex() != index) {
        listsTabs_.tabs->setCurrentIndex(index);
        return;
    }
    postsPanel_->setVisible(index == 1);
    forumsPanel_->setVisible(index == 0);
}

}  // namespace boardcast
