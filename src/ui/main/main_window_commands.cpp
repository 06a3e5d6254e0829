// The main window's commands, list refreshes and window events. Each passes to the pure code.

#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QTextCursor>
#include <QWindowStateChangeEvent>
#include <algorithm>

#include "core/conversion/message_output.h"
#include "core/forums/password_vault.h"
#include "core/library/message_library.h"
#include "core/shell/forum_formats.h"
#include "core/shell/main_window_layout.h"
#include "core/shell/product_identity.h"
#include "core/shell/program_lists.h"
#include "core/storage/private_folder.h"
#include "core/storage/settings_keys.h"
#include "core/watching/parallel_check.h"
#include "core/watching/post_watcher.h"
#include "core/watching/reply_notice.h"
#include "platform/qt_strings.h"
#include "platform/watching_service.h"
#include "ui/main/browser_panel.h"
#include "ui/main/main_window.h"
#include "ui/widgets/message_box.h"
#include "ui/widgets/title_list.h"
#include "ui/widgets/window_places.h"

namespace boardcast {

namespace {

void clearSelection(QListWidget* list) {
    QSignalBlocker block(list);
    list->clearSelection();
    list->setCurrentRow(-1);
}

// The rows the user selected that the filter shows, in list order.
std::vector<int> selectedRows(const QListWidget* list) {
    std::vector<int> rows;
    for (QListWidgetItem* item : list->selectedItems()) {
        if (!item->isHidden()) rows.push_back(list->row(item));
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

// Refills a list with one entry for each item, standing for its address, keeping the
// selected row where it can and the filter; show gives an entry its text and tip.
template <class Range, class Address, class Show>
void refill(TitleList* list, const QLineEdit* filter, const Range& items, Address address,
            Show show) {
    const int row = list->currentRow();
    QSignalBlocker block(list);
    list->clear();
    for (const auto& item : items) {
        auto* entry = new QListWidgetItem(list);
        entry->setData(TitleList::kAddressRole, toQString(address(item)));
        show(entry, item);
    }
    if (row >= 0 && row < list->count()) list->setCurrentRow(row);
    list->showOnlyMatching(filter->text());
}

QString timeText(std::int64_t seconds) {
    return QLocale().toString(QDateTime::fromSecsSinceEpoch(seconds), QLocale::ShortFormat);
}

// Asks before several entries go at once; one goes without a question.
bool confirmRemoval(QWidget* parent, size_t count, const QString& what) {
    return count < 2 ||
           MessageBox::ask(parent, toQString(productIdentity().productName),
                           QStringLiteral("Remove the %1 selected %2?").arg(count).arg(what));
}

}  // namespace

void MainWindow::autoInsert() {
    const std::string chooser = chooserText();
    const bool writesTags = !linkTagOf(chooser, templates_).empty();
    browserPanel_->autoInsertMessage(
        {outgoingText(messageText(), chooser, templates_),
         templateWritesHtml(chooser, templates_) ? Markup::Html : Markup::Plain,
         linkMarkupOf(chooser, templates_), messageText(),
         writesTags ? outgoingText(messageText(), kPlainTextEntry, templates_) : std::string()},
        [this](const InsertResult& result) {
            // The chooser shows what went in: "text" when the user took it instead.
            if (result.written) rememberFormatHere(chooserText());
        });
}

void MainWindow::askAboutMarkdown(const std::function<void(MarkdownAnswer)>& answer) {
    const QString text = QStringLiteral(
                             "This forum writes Markdown: %1 tags would show as text. Insert the "
                             "message as text instead?")
                             .arg(toQString(linkTagOf(chooserText(), templates_)));
    switch (MessageBox::askOrCancel(this, toQString(productIdentity().productName), text)) {
        case MessageBox::Answer::Yes:
            selectFormat(std::string(kPlainTextEntry));
            return answer(MarkdownAnswer::InsertAsText);
        case MessageBox::Answer::No:
            return answer(MarkdownAnswer::InsertAsChosen);
        case MessageBox::Answer::Cancel:
            return answer(MarkdownAnswer::Cancel);
    }
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
    if (format.empty() || format == chooserText()) return;
    if (selectFormat(format)) setPanelText(2, followedFormatText(format, address));
}

bool MainWindow::selectFormat(const std::string& name) {
    const std::optional<int> index =
        chooserIndexOfName(formatChooserEntries(templates_), name, formatChooser->currentIndex());
    if (!index) return false;
    formatChooser->setCurrentIndex(*index);
    if (Status s = rememberChooserChoice(); !s) reportWriteFailure(s.error());
    return true;
}

void MainWindow::preview() {
    MessageBox::show(this, QStringLiteral("message preview"),
                     toQString(outgoingText(messageText(), chooserText(), templates_)));
}

void MainWindow::copyMessage() {
    QGuiApplication::clipboard()->setText(
        toQString(outgoingText(messageText(), chooserText(), templates_)));
    rememberFormatHere(chooserText());
}

void MainWindow::saveCurrentMessage() {
    if (Status s = saveMessage(folder_, messageText(), subjectText()); !s) {
        showError("The message was not saved. " + s.error().text);
        return;
    }
    setPanelText(1, "MESSAGE SAVED");
    Q_EMIT messagesChanged();
}

// Undoable: Ctrl+Z brings the message back (in the subject box, the subject).
void MainWindow::newMessage() {
    QTextCursor all(messageEdit->document());
    all.select(QTextCursor::Document);
    all.removeSelectedText();
    subjectEdit->clear();  // stored at once, as every change of the subject
    messageEdit->setFocus();
}

void MainWindow::exitWithoutSaving() {
    // Ends at once: no list file and no setting is written.
    QCoreApplication::exit(0);
}

void MainWindow::pasteIntoPage(int index) {
    // Without a forum there is no login to paste: the page's field keeps its text.
    if ((index == 1 || index == 2) && lists_.forums.selectedIndex() < 0) {
        setPanelText(2, std::string("Select a forum in Your Forums first; no ") +
                            (index == 1 ? "username" : "password") + " was pasted.");
        return;
    }
    browserPanel_->pasteIntoPage(index);
    if (index == 3) rememberFormatHere(chooserText());
}

void MainWindow::watchThisPost() {
    watchPage(false);
}

void MainWindow::watchPage(bool postedNow, const std::string& watchedAddress) {
    const std::string address =
        watchedAddress.empty() ? browserPanel_->currentAddress() : watchedAddress;
    if (watcher_->watchCurrentPage(address, postedNow) < 0) {
        // A page that cannot be watched says so in the status bar; a full list, which the
        // user must act on, in a box as well.
        const std::string text =
            "Could not watch " + withHiddenPassword(address) + ": " + watcher_->lastFailure();
        setPanelText(2, text);
        if (PostWatcher::refusedReason(address).empty()) showError(text);
        return;
    }
    refreshPosts();
    storePosts();
}

void MainWindow::removeWatchedPost() {
    // Only entries the user selected; tabbing into the list makes a row current without
    // selecting it.
    const std::vector<int> rows = selectedRows(postsList);
    if (rows.empty() || !confirmRemoval(this, rows.size(), QStringLiteral("watched posts"))) return;
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) watcher_->removeWatch(*row);
    refreshPosts();
    clearSelection(postsList);
    storePosts();
}

// The check reads the list as it stands when it starts.
void MainWindow::checkForNewReplies() {
    if (checkRebuildPending_ && !watching_->check().running()) rebuildReplyCheck();
    ParallelCheck& check = watching_->check();
    check.setAccountNames(accountNamesByHost(lists_.forums));
    check.start(lists_.posts, [this] { replyCheckFinished(); });
}

std::vector<ThreadWithNews> MainWindow::threadsWithNews() const {
    std::vector<ThreadWithNews> threads;
    for (const ParallelCheck::Found& f : watching_->check().found()) {
        threads.push_back({shownName(lists_.posts, f.address), f.address, f.news});
    }
    return threads;
}

void MainWindow::replyCheckFinished() {
    storePosts();  // the titles and times it learnt
    const std::vector<ThreadWithNews> found = threadsWithNews();
    postsTabBar->setTabText(1, found.empty()
                                   ? QStringLiteral("New Replies ")
                                   : QStringLiteral("New Replies (%1)").arg(found.size()));
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
    if (!watching_->check().running()) return;
    watching_->check().stop();
    storePosts();
}

void MainWindow::addCurrentForum() {
    const std::string address = browserPanel_->currentAddress();
    if (!lists_.forums.addCurrentForum(address)) return;
    // Named after the page it was added on; a page without a title shows its address.
    if (const std::string title = browserPanel_->currentTitle(); title != address) {
        lists_.forums.setName(address, title);
    }
    refreshForums();
    {
        QSignalBlocker block(forumsList);
        forumsList->setCurrentRow(lists_.forums.selectedIndex());
    }
    setPanelText(2, withHiddenPassword(lists_.forums.at(lists_.forums.selectedIndex()).address));
    showLoginFields();
    storeForums();
}

void MainWindow::removeForum() {
    const std::vector<int> rows = selectedRows(forumsList);
    if (rows.empty() || !confirmRemoval(this, rows.size(), QStringLiteral("forums"))) return;
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        if (lists_.forums.selectedIndex() != *row) lists_.forums.selectForum(*row);
        if (passwordsInKeyring_) {
            const Forum& gone = lists_.forums.at(*row);
            (void)vault_->remove(gone.address, usernameOf(gone));
        }
        lists_.forums.removeForum();
    }
    refreshForums();
    clearSelection(forumsList);
    storeForums();
}

void MainWindow::reportWriteFailure(const Error& error) {
    setPanelText(2, error.text);
    const std::int64_t now = QDateTime::currentMSecsSinceEpoch();
    auto [it, first] = failureShownAt_.try_emplace(error.text, now);
    if (!first && now - it->second < 60 * 1000) return;
    it->second = now;
    showError("A change could not be saved. " + error.text);
}

void MainWindow::storePosts() {
    if (!lists_.postsLoaded) return;  // its files stay as they are (unreadable or cut)
    for (const Error& e : saveWatchLists(folder_, lists_.posts)) reportWriteFailure(e);
}

void MainWindow::storeForums() {
    if (!lists_.forumsLoaded) return;
    if (passwordsInKeyring_) {
        if (Status s = keepPassword(*vault_, lists_.forums, lists_.forums.selectedIndex()); !s) {
            reportWriteFailure(s.error());
            return;  // posts2.txt keeps what it had
        }
    }
    if (Status s = saveForums(folder_, lists_.forums, passwordsInKeyring_); !s) {
        reportWriteFailure(s.error());
    }
}

// Each move writes the new place first and clears the old one only once that stands, so
// that a failure at any step leaves every password somewhere.
Status MainWindow::setPasswordsInKeyring(bool on) {
    auto settle = [this](bool state) {
        passwordsInKeyring_ = state;
        if (keyringAction_) keyringAction_->setChecked(state);
    };
    if (on == passwordsInKeyring_) return {};
    const auto fail = [&](const std::string& what, const Error& e) -> Status {
        settle(!on);
        return Error{e.code, what + " " + e.text};
    };
    if (on) {
        // A keyring that takes nothing is no place for them, even with no forum yet.
        if (Status s = vault_->write("boardcast-probe", "", ""); !s)
            return fail("The passwords stay in posts2.txt.", s.error());
        (void)vault_->remove("boardcast-probe", "");
        if (Status s = copyPasswordsTo(*vault_, lists_.forums); !s)
            return fail("The passwords stay in posts2.txt.", s.error());
        if (Status s = writeSetting(settings_, keys::passwordsInKeyring, "1"); !s)
            return fail("The passwords stay in posts2.txt.", s.error());
        if (Status s = saveForums(folder_, lists_.forums, true); !s) {
            (void)writeSetting(settings_, keys::passwordsInKeyring, "0");
            return fail("The passwords stay in posts2.txt.", s.error());
        }
        settle(true);
        setPanelText(2, "The passwords are now kept in the desktop keyring.");
        return {};
    }
    // Read back whole first: a password the keyring holds is not given up for an empty one.
    if (Status s = fillPasswordsFrom(*vault_, lists_.forums); !s)
        return fail("The passwords stay in the desktop keyring.", s.error());
    if (Status s = saveForums(folder_, lists_.forums, false); !s)
        return fail("The passwords stay in the desktop keyring.", s.error());
    if (Status s = writeSetting(settings_, keys::passwordsInKeyring, "0"); !s)
        return fail("The passwords stay in the desktop keyring.", s.error());
    settle(false);
    if (Status s = removePasswordsFrom(*vault_, lists_.forums); !s) {
        setPanelText(2,
                     "The passwords are in posts2.txt again, but some could not be removed "
                     "from the desktop keyring: " +
                         s.error().text);
        return {};
    }
    setPanelText(2, "The passwords are kept in posts2.txt again.");
    return {};
}

void MainWindow::forumClicked(int row) {
    if (row < 0) return;
    lists_.forums.selectForum(row);
    setPanelText(2, withHiddenPassword(lists_.forums.at(row).address));
    showLoginFields();
}

// Shows the login fields as the model holds them; the model has stored the login already.
void MainWindow::showLoginFields() {
    syncingFields_ = true;
    usernameEdit->setEnabled(lists_.forums.fieldsEnabled());
    passwordEdit->setEnabled(lists_.forums.fieldsEnabled());
    if (usernameEdit->text() != toQString(lists_.forums.usernameField())) {
        usernameEdit->setText(toQString(lists_.forums.usernameField()));
    }
    if (passwordEdit->text() != toQString(lists_.forums.passwordField())) {
        passwordEdit->setText(toQString(lists_.forums.passwordField()));
    }
    syncingFields_ = false;
}

void MainWindow::openListEntry(QListWidget* list, int row) {
    if (row < 0 || row >= list->count()) return;
    const std::string address = toStdString(TitleList::addressOf(list->item(row)));
    std::string shown = address;
    if (list == newRepliesList) {
        // The first new post, and the thread's posts count as seen from now on.
        // (A thread judged by its size whose posts could be read is judged by its posts
        // from now on.)
        for (const ParallelCheck::Found& f : watching_->check().found()) {
            if (f.address != address || f.news.newest.id.empty()) continue;
            if (!f.news.posts.empty() && !f.news.posts.front().address.empty())
                shown = f.news.posts.front().address;
            markSeen(lists_.posts, address, f.news.newest);
            storePosts();
        }
    }
    browserPanel_->autoInsert().armPostCheck();
    browserPanel_->navigate(shown);
}

void MainWindow::selectPostsTab(int index) {
    if (postsTabBar->currentIndex() != index) {
        postsTabBar->setCurrentIndex(index);  // comes back here through currentChanged
        return;
    }
    // The posts panel is where both lists live; show it so the choice can be seen.
    selectPanelTab(1);
    const bool all = index == 0;
    removePostButton->setVisible(all);
    watchPostButton->setVisible(all);
    checkRepliesButton->setVisible(!all);
    postsList->setVisible(all);
    newRepliesList->setVisible(!all);
}

void MainWindow::selectPanelTab(int index) {
    if (listsTabBar->currentIndex() != index) {
        listsTabBar->setCurrentIndex(index);
        return;
    }
    postsFrame->setVisible(index == 1);
    forumsFrame->setVisible(index == 0);
}

void MainWindow::refreshPosts() {
    refill(
        postsList, postsFilter, lists_.posts.posts(),
        [](const WatchedPost& p) { return p.address; },
        [this](QListWidgetItem* entry, const WatchedPost& p) { describePost(entry, p.address); });
}

// The entry shows the thread's title (the address until one is known); its tip the address
// and the times; an unreachable post a mark, with the reason in the tip.
void MainWindow::describePost(QListWidgetItem* entry, const std::string& address) const {
    const PostDetails& d = lists_.posts.detailsOf(address);
    entry->setText(toQString(shownName(lists_.posts, address)));
    QString tip = toQString(withHiddenPassword(address));
    tip += d.checkedAt > 0 ? QStringLiteral("\nLast checked: ") + timeText(d.checkedAt)
                           : QStringLiteral("\nNot checked yet");
    if (d.grewAt > 0) tip += QStringLiteral("\nLast grew: ") + timeText(d.grewAt);
    if (!d.latestPage.empty() && d.latestPage != address) {
        tip += QStringLiteral("\nLatest page: ") + toQString(withHiddenPassword(d.latestPage));
    }
    if (fellBack_.count(address) != 0) {
        tip += QStringLiteral(
            "\nThe latest page could not be fetched; the post's own page was "
            "checked instead.");
    }
    const auto it = unreachable_.find(address);
    if (it == unreachable_.end()) {
        entry->setIcon(QIcon());
    } else {
        entry->setIcon(style()->standardIcon(QStyle::SP_MessageBoxWarning));
        tip += (it->second.notTheThread() ? QStringLiteral("\nNot the thread: ")
                                          : QStringLiteral("\nCould not be fetched: ")) +
               toQString(it->second.reason);
    }
    entry->setToolTip(tip);
}

// Only the post's own row changes, so a check of thousands of posts does not refill the
// list at each answer.
void MainWindow::showPost(const std::string& address) {
    const int row = lists_.posts.indexOfWatched(address);
    if (row < 0 || row >= postsList->count()) return;
    describePost(postsList->item(row), address);
}

void MainWindow::noteFetched(const std::string& address, const MeasuredPage& page,
                             const CheckTarget& target, const ThreadNews&) {
    noteFetchedPage(lists_.posts, address, page, target, secondsNow());
    if (!target.latest && !lists_.posts.detailsOf(address).latestPage.empty()) {
        fellBack_.insert(address);
    } else {
        fellBack_.erase(address);
    }
    showPost(address);
}

// Each thread with new replies: its title and who answered (or how much its page grew);
// the tip names its forum and what each new post begins with.
void MainWindow::refreshNewReplies() {
    refill(
        newRepliesList, postsFilter, threadsWithNews(),
        [](const ThreadWithNews& t) { return t.address; },
        [this](QListWidgetItem* entry, const ThreadWithNews& t) {
            entry->setText(toQString(newRepliesEntry(t)));
            QString tip = toQString(newRepliesTip(t, hostKey(t.address)));
            const PostDetails& d = lists_.posts.detailsOf(t.address);
            if (d.grewAt > 0) tip += QStringLiteral("\nFound: ") + timeText(d.grewAt);
            entry->setToolTip(tip);
        });
}

// A forum shows its name, the address until it has one.
void MainWindow::refreshForums() {
    refill(
        forumsList, forumsFilter, lists_.forums.forums(), [](const Forum& f) { return f.address; },
        [this](QListWidgetItem* entry, const Forum& f) {
            const std::string& name = lists_.forums.nameOf(f.address);
            entry->setText(toQString(name.empty() ? withHiddenPassword(f.address) : name));
            entry->setToolTip(toQString(withHiddenPassword(f.address)));
            entry->setFlags(entry->flags() | Qt::ItemIsEditable);
        });
}

void MainWindow::renameForum(QListWidgetItem* item) {
    const std::string address = toStdString(TitleList::addressOf(item));
    std::string name = toStdString(item->text().trimmed());
    // Emptied, or set back to the address: the forum has no name of its own any more.
    if (name == address || name == withHiddenPassword(address)) name.clear();
    lists_.forums.setName(address, name);
    {
        const QSignalBlocker block(forumsList);
        const std::string& stored = lists_.forums.nameOf(address);
        item->setText(toQString(stored.empty() ? withHiddenPassword(address) : stored));
    }
    storeForums();
}

// An orderly shutdown: the lists and the message state are written, and anything that
// could not be written is reported in one box before the program ends.
void MainWindow::closeEvent(QCloseEvent* event) {
    keepPlace(*this, settings_, "main");
    std::vector<Error> failures = saveProgramLists(folder_, lists_, passwordsInKeyring_);
    if (Status s = storeMessage(settings_, messageText()); !s) failures.push_back(s.error());
    if (Status s = rememberChooserChoice(); !s) failures.push_back(s.error());
    if (!failures.empty()) showError(listSaveFailureMessage(failures));
    Q_EMIT closing();
    event->accept();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    layoutMainWindow();
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) layoutMainWindow();
}

void MainWindow::layoutMainWindow() {
    const QRect outer = frameGeometry();
    auto l =
        boardcast::layoutMainWindow(outer.width() * kTwipsPerPixel, outer.height() * kTwipsPerPixel,
                                    statusBar()->height() * kTwipsPerPixel, isMinimized());
    if (!l) return;
    auto px = [](int twips) { return twips / kTwipsPerPixel; };
    postsFrame->resize(postsFrame->width(), px(l->frame3Height));
    // The filter box above each list takes the top of the list's place.
    auto below = [&](int listHeight) { return px(std::max(0, listHeight - kFilterShift)); };
    postsList->resize(postsList->width(), below(l->listPostsHeight));
    forumsFrame->resize(forumsFrame->width(), px(l->frame4Height));
    forumsList->resize(forumsList->width(), below(l->listForumsHeight));
    newRepliesList->resize(newRepliesList->width(), below(l->listNewHeight));
    // Frame2 keeps to the rules, but never reaches under the status bar (the rules measure
    // the window's outer height, title and menu included).
    const int roomBelow = centralWidget()->height() - browserPanel_->y();
    browserPanel_->resize(px(l->frame2Width), std::min(px(l->frame2Height), roomBelow));
    browserPanel_->applyLayout(*l);
    panels_[0]->setFixedWidth(px(l->panel1Width));
    panels_[1]->setFixedWidth(px(l->panel2Width));
    panels_[2]->setFixedWidth(px(l->panel3Width));
    websiteButton->resize(px(l->command1Width), websiteButton->height());
    listsArea->resize(listsArea->width(), px(l->tabStrip2Height));
}

}  // namespace boardcast
