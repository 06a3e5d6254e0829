#include "ui/main/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTabBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWebEngineProfile>

#include "posting/page_scan.h"
#include "core/conversion/message_output.h"
#include "core/forums/password_vault.h"
#include "core/shell/main_window_layout.h"
#include "core/shell/product_identity.h"
#include "core/storage/data_files.h"
#include "core/storage/private_folder.h"
#include "core/storage/settings_keys.h"
#include "core/storage/text_file.h"
#include "core/watching/parallel_check.h"
#include "core/watching/post_watcher.h"
#include "platform/browser_cookies.h"
#include "platform/desktop_keyring.h"
#include "platform/desktop_notification.h"
#include "platform/qt_strings.h"
#include "platform/watching_service.h"
#include "platform/webengine_browser.h"
#include "ui/widgets/appearance.h"
#include "ui/main/browser_panel.h"
#include "ui/windows/check_options_dialog.h"
#include "ui/icons/command_icons.h"
#include "ui/widgets/message_box.h"
#include "ui/widgets/status_panels.h"
#include "ui/widgets/title_list.h"
#include "ui/widgets/window_places.h"

namespace boardcast {

namespace {

// Design positions are in twips; 15 twips make a logical pixel.
QRect tw(int left, int top, int width, int height) {
    return {left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel,
            height / kTwipsPerPixel};
}

int px(int twips) {
    return twips / kTwipsPerPixel;
}

template <class W>
W* place(W* widget, const char* name, QRect geometry) {
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(geometry);
    return widget;
}

QLabel* label(QWidget* parent, const char* text, int left, int top) {
    auto* l = new QLabel(QLatin1String(text), parent);
    l->move(px(left), px(top));
    l->adjustSize();
    return l;
}

QToolButton* squareButton(QWidget* parent, const char* name, const char* caption, const char* tip,
                          CommandIcon icon, QRect geometry) {
    auto* b = place(new QToolButton(parent), name, geometry);
    b->setText(QLatin1String(caption));
    b->setToolTip(QLatin1String(tip));
    b->setIcon(commandIcon(icon));
    b->setIconSize(QSize(24, 24));
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    return b;
}

// A box whose text narrows a list to the entries that hold it.
QLineEdit* filterBox(QWidget* parent, const char* name, QRect geometry) {
    auto* box = place(new QLineEdit(parent), name, geometry);
    box->setPlaceholderText(QStringLiteral("Filter"));
    box->setClearButtonEnabled(true);
    box->setToolTip(QStringLiteral("Show only the entries that contain this text"));
    return box;
}

QPushButton* button(QWidget* parent, const char* name, const char* caption, QRect geometry,
                    const char* tip = nullptr) {
    auto* b = place(new QPushButton(QLatin1String(caption), parent), name, geometry);
    if (tip) b->setToolTip(QLatin1String(tip));
    return b;
}

// A push button whose caption wraps onto several lines, as the long web-site caption needs.
class WrappingButton final : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        option.text.clear();
        painter.drawControl(QStyle::CE_PushButton, option);
        painter.drawText(rect().adjusted(6, 2, -6, -2), Qt::AlignCenter | Qt::TextWordWrap, text());
    }
};

QString windowTitleText() {
    const ProductIdentity& id = productIdentity();
    return toQString(std::string(id.productName) + " by " + std::string(id.companyName));
}

}  // namespace

MainWindow::MainWindow(std::string appFolder, SettingsStore& settings, std::string homePage,
                       QWidget* parent)
    : QMainWindow(parent), folder_(std::move(appFolder)), settings_(settings) {
    setObjectName(QStringLiteral("Form1"));
    QFont verdana(QStringLiteral("Verdana"));
    verdana.setPointSize(8);
    setFont(verdana);

    auto* area = new QWidget(this);
    area->setObjectName(QStringLiteral("clientArea"));
    setCentralWidget(area);
    buildCommandRow(area);
    buildMessageEditor(area);
    buildForumsPanel(area);
    buildPostsPanel(area);

    BrowserPanel::Services services{
        joinPath(folder_, kScratchFile), [this](int index) { return pasteText(index); },
        [this](const SeenPost& seen) { watchPage(seen.messageShown, seen.address); },
        [this] { followRememberedFormat(); }};
    browserPanel_ = new BrowserPanel(*this, std::move(services), area);
    browserPanel_->autoInsert().setMarkdownQuestion(
        [this](std::function<void(MarkdownAnswer)> answer) { askAboutMarkdown(answer); });
    browserPanel_->setGeometry(tw(3840, 900, 6375, 7395));

    checkPanels_ = std::make_unique<ThrottledPanels>(*this);
    checkSettings_ = loadCheckSettings(settings_);
    watching_ = std::make_unique<WatchingService>(*this, *checkPanels_, checkSettings_.jobs,
                                                  checkSettings_.perHost);
    watcher_ = std::make_unique<PostWatcher>(lists_.posts, watching_->measurer(), *this);
    askAsTheBrowser();
    connectReplyCheck();
    checkTimer_ = new QTimer(this);
    checkTimer_->setObjectName(QStringLiteral("checkTimer"));
    connect(checkTimer_, &QTimer::timeout, this, [this] {
        if (!watching_->check().running()) checkForNewReplies();
    });
    applyCheckTimer();
    watcher_->setPostOutcomeCallback(
        [this](const std::string& address, const MeasureFailure* failure) {
            notePostOutcome(address, failure);
            if (failure) return;
            refreshPosts();  // a thread watched already keeps one entry
            storePosts();    // the measured baseline
        });

    vault_ = std::make_unique<DesktopKeyring>();
    passwordsInKeyring_ = readSetting(settings_, keys::passwordsInKeyring) == "1";
    buildMenus();
    addStatusPanels(*this, panels_);
    setMinimumSize(px(kMinWindowWidth), px(kMinWindowHeight));
    resize(px(11145), px(8985) + menuBar()->sizeHint().height());
    if (!restorePlace(*this, settings_, "main") && screen()) {
        // The first time in the middle of the screen, placed here rather than by the window
        // manager, so that the help window can be placed beside it before it shows.
        move(screen()->availableGeometry().center() - rect().center());
    }
    load(homePage);
}

// Hands the reply check's texts to the window's panels. Progress (panel 1's "checking N of
// M", the probes' phase texts in panel 2 and download counts in panel 3), which eight probes
// would otherwise change thousands of times a second, reaches the screen at most four times
// a second, the latest text of each panel last. The end of a check shows at once, and the
// probes' texts still held back are dropped: nothing of a page fetched stays on show.
class MainWindow::ThrottledPanels final : public StatusPanels {
public:
    explicit ThrottledPanels(MainWindow& window) : window_(window) {
        timer_.setSingleShot(true);
        QObject::connect(&timer_, &QTimer::timeout, &window_, [this] { flush(); });
        shown_.start();
    }

    // The probes' texts.
    void setPanelText(int panel, const std::string& text) override {
        if (panel < 2 || panel > 3 || ended_) return;
        hold(panel, text);
    }

    void setProgress(const CheckProgress& progress) {
        if (progress.phase == CheckProgress::Phase::Running) {
            ended_ = false;
            return hold(1, progressText(progress));
        }
        ended_ = true;
        timer_.stop();
        pending_ = {};
        window_.setPanelText(1, progressText(progress));
        window_.setPanelText(2, lastFailureText(window_.watching_->check().failures()));
        window_.setPanelText(3, {});
    }

private:
    static constexpr int kIntervalMs = 250;

    void hold(int panel, const std::string& text) {
        pending_[static_cast<size_t>(panel - 1)] = text;
        if (!timer_.isActive()) {
            timer_.start(static_cast<int>(std::max<qint64>(0, kIntervalMs - shown_.elapsed())));
        }
    }

    void flush() {
        timer_.stop();
        for (size_t i = 0; i < pending_.size(); ++i) {
            if (pending_[i]) window_.setPanelText(static_cast<int>(i) + 1, *pending_[i]);
            pending_[i].reset();
        }
        shown_.restart();
    }

    MainWindow& window_;
    QTimer timer_;
    QElapsedTimer shown_;
    std::array<std::optional<std::string>, 3> pending_;  // by panel
    bool ended_ = false;  // a check has ended: late texts of its probes are not shown
};

// The reply check is the command line's: several pages at once, a few from each host, as
// the user's settings say. Its engine is built anew when they change, between checks; the
// callbacks stay.
void MainWindow::connectReplyCheck() {
    ParallelCheck& check = watching_->check();
    check.setChangedCallback([this] {
        refreshNewReplies();
        if (stopCheckAction_) stopCheckAction_->setEnabled(watching_->check().running());
    });
    check.setProgressCallback(
        [this](const CheckProgress& progress) { checkPanels_->setProgress(progress); });
    check.setPostOutcomeCallback([this](const std::string& address, const MeasureFailure* failure) {
        notePostOutcome(address, failure);
    });
    check.setFetchedCallback(
        [this](const std::string& address, const MeasuredPage& page, const CheckTarget& target,
               const ThreadNews& news) { noteFetched(address, page, target, news); });
}

void MainWindow::rebuildReplyCheck() {
    watching_->rebuildCheck(checkSettings_.jobs, checkSettings_.perHost);
    checkRebuildPending_ = false;
}

// A post that could not be fetched, or was not the thread, is marked in the list until it is
// fetched again.
void MainWindow::notePostOutcome(const std::string& address, const MeasureFailure* failure) {
    if (!failure) {
        unreachable_.erase(address);
    } else {
        unreachable_.insert_or_assign(address, *failure);
    }
    showPost(address);
}

void MainWindow::applyCheckTimer() {
    if (checkSettings_.everyMinutes > 0) {
        checkTimer_->start(checkSettings_.everyMinutes * 60 * 1000);
    } else {
        checkTimer_->stop();
    }
}

void MainWindow::askAsTheBrowser() {
    QWebEngineProfile* profile = browserPanel_->webEngine().profile();
    RequestIdentity identity;
    if (profile) {
        identity.userAgent = toStdString(profile->httpUserAgent());
        if (!profile->httpAcceptLanguage().isEmpty())
            identity.acceptLanguage = toStdString(profile->httpAcceptLanguage());
    }
    // The headless commands ask with the same identity.
    if (Status s = writeSetting(settings_, keys::browserUserAgent, identity.userAgent); !s)
        setPanelText(2, s.error().text);
    watching_->setIdentity(std::move(identity));
    watching_->setLoggedIn(checkSettings_.asLoggedInUser);
    browserCookies_ = std::make_unique<BrowserCookies>(profile, watching_->cookies(),
                                                       joinPath(folder_, kCookiesFile));
    connect(browserCookies_.get(), &BrowserCookies::saveFailed, this, [this](const QString& text) {
        reportWriteFailure({ErrorCode::Io, toStdString(text)});
    });
}

void MainWindow::setCheckSettings(const CheckSettings& wanted) {
    const CheckSettings settings = withinRange(wanted);
    if (Status s = storeCheckSettings(settings_, settings); !s) reportWriteFailure(s.error());
    const bool engineChanged =
        settings.jobs != checkSettings_.jobs || settings.perHost != checkSettings_.perHost;
    checkSettings_ = settings;
    watching_->setLoggedIn(settings.asLoggedInUser);
    if (engineChanged) {
        // A running check goes on as it started; the new engine comes before the next one.
        if (watching_->check().running()) {
            checkRebuildPending_ = true;
        } else {
            rebuildReplyCheck();
        }
    }
    applyCheckTimer();
}

void MainWindow::openCheckOptions() {
    CheckOptionsDialog dialog(checkSettings_, this);
    if (dialog.exec() == QDialog::Accepted) setCheckSettings(dialog.settings());
}

MainWindow::~MainWindow() {
    // The probes report into this window; they go first, after the cookies that fill their
    // jar have been written.
    browserCookies_.reset();
    watcher_.reset();
    watching_.reset();
}

void MainWindow::buildCommandRow(QWidget* area) {
    autoInsertButton =
        squareButton(area, "cmdMessage", "Auto-Insert",
                     "Once you are on the page where you can post your message, click "
                     "here to insert it.",
                     CommandIcon::AutoInsert, tw(60, 60, 1600, 800));
    label(area, "as", 1740, 540);
    formatChooser = place(new QComboBox(area), "cmbConvert", tw(2100, 480, 1635, 315));
    formatChooser->setToolTip(
        QStringLiteral("Select the format you would like to use when your message is inserted."));
    connect(formatChooser, &QComboBox::activated, this, [this] {
        if (Status s = rememberChooserChoice(); !s) reportWriteFailure(s.error());
    });
    previewButton = squareButton(area, "cmdPreview", "Preview",
                                 "See a preview of your message in the currently selected format",
                                 CommandIcon::Preview, tw(3840, 60, 800, 800));
    copyButton = squareButton(area, "cmdCopy", "Copy",
                              "Copy your message to the clipboard in the selected format",
                              CommandIcon::Copy, tw(4680, 60, 800, 800));
    saveButton = squareButton(area, "cmdSave", "Save", "Save the current message",
                              CommandIcon::Save, tw(5520, 60, 800, 800));
    loadButton = squareButton(area, "cmdLoad", "Load", "Load a saved message", CommandIcon::Load,
                              tw(6360, 60, 800, 800));
    optionsButton = squareButton(area, "cmdOptions", "Options", "Options", CommandIcon::Options,
                                 tw(7200, 60, 800, 800));
    websiteButton = place(new WrappingButton(area), "Command1", tw(8040, 60, 2115, 795));
    websiteButton->setToolTip(QStringLiteral("Visit us!"));

    connect(autoInsertButton, &QToolButton::clicked, this, &MainWindow::autoInsert);
    connect(previewButton, &QToolButton::clicked, this, &MainWindow::preview);
    connect(copyButton, &QToolButton::clicked, this, &MainWindow::copyMessage);
    connect(saveButton, &QToolButton::clicked, this, &MainWindow::saveCurrentMessage);
    connect(loadButton, &QToolButton::clicked, this, &MainWindow::savedMessagesRequested);
    connect(optionsButton, &QToolButton::clicked, this, &MainWindow::templateEditorRequested);
    connect(websiteButton, &QPushButton::clicked, this, &MainWindow::websiteRequested);
}

void MainWindow::buildMessageEditor(QWidget* area) {
    messageEditorFrame = place(new QGroupBox(QStringLiteral("Message Editor"), area), "Frame1",
                               tw(60, 900, 3735, 4155));
    label(messageEditorFrame, "Subject:", 120, 360);
    subjectEdit = place(new QLineEdit(messageEditorFrame), "txtSubject", tw(900, 300, 1995, 285));
    pasteButtons[0] = button(messageEditorFrame, "cmdPaste0", "Paste", tw(2940, 300, 675, 315),
                             "Click within the Subject field on the form you want to paste into, "
                             "then click here.");
    label(messageEditorFrame, "Message:", 120, 660);
    messageEdit =
        place(new QPlainTextEdit(messageEditorFrame), "txtMessage", tw(120, 900, 3495, 1755));
    pasteButtons[3] =
        button(messageEditorFrame, "cmdPaste3", "Paste Message", tw(120, 2700, 3495, 375),
               "Click within the message area on the form you want to paste into, "
               "then click here.");
    messageEdit->setPlainText(toQString(std::string(kIntroductoryMessage))
                                  .replace(QStringLiteral("\r\n"), QStringLiteral("\n")));

    // Every change of the subject, typed or set by the program, is stored at once; the
    // message a second after the typing stops, so that a crash loses at most that second.
    connect(subjectEdit, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (Status s = storeSubject(settings_, toStdString(text)); !s)
            reportWriteFailure(s.error());
    });
    messageStore_ = new QTimer(this);
    messageStore_->setSingleShot(true);
    messageStore_->setInterval(kMessageStoreDelayMs);
    connect(messageStore_, &QTimer::timeout, this, [this] {
        if (Status s = storeMessage(settings_, messageText()); !s) reportWriteFailure(s.error());
    });
    connect(messageEdit, &QPlainTextEdit::textChanged, messageStore_, qOverload<>(&QTimer::start));
    messageEdit->installEventFilter(this);
    messageEdit->setTabChangesFocus(true);
}

// Shift+Return would put a line separator into the box, which the message keeps as a lone
// CR; it breaks the line as Return does. Delete in the forums or the posts removes the
// selected entries, as the Remove button does.
bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Delete)) {
        if (watched == postsList) {
            removeWatchedPost();
            return true;
        }
        if (watched == forumsList) {
            removeForum();
            return true;
        }
    }
    if (watched == messageEdit && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool isReturn = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (isReturn && (key->modifiers() & ~Qt::KeypadModifier) == Qt::ShiftModifier) {
            QTextCursor cursor = messageEdit->textCursor();
            cursor.insertText(QStringLiteral("\n"));  // a block break; replaces a selection
            messageEdit->setTextCursor(cursor);
            return true;
        }
        // Tab moves on to the next control; Ctrl+Tab types a tab.
        if (key->key() == Qt::Key_Tab && key->modifiers() == Qt::ControlModifier) {
            messageEdit->insertPlainText(QStringLiteral("\t"));
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::buildForumsPanel(QWidget* area) {
    // The tab strip's box runs down behind both panels, which stand on top of it.
    listsArea = place(new QWidget(area), "TabStrip2", tw(60, 5100, 3735, 4815));
    auto* stripLayout = new QVBoxLayout(listsArea);
    stripLayout->setContentsMargins(0, 0, 0, 0);
    stripLayout->setSpacing(0);
    listsTabBar = new QTabBar(listsArea);
    listsTabBar->setObjectName(QStringLiteral("TabStrip2Tabs"));
    listsTabBar->addTab(QStringLiteral("Your Forums"));
    listsTabBar->addTab(QStringLiteral("Your Posts"));
    auto* box = new QGroupBox(listsArea);
    stripLayout->addWidget(listsTabBar);
    stripLayout->addWidget(box, 1);

    forumsFrame = place(new QGroupBox(area), "Frame4", tw(120, 5425, 3615, 4335));
    forumsFrame->setFlat(true);
    addForumButton = button(forumsFrame, "cmdAdd2", "Add Current URL", tw(60, 180, 1680, 315),
                            "Watch the current URL");
    removeForumButton = button(forumsFrame, "cmdDel2", "Remove URL", tw(1800, 180, 1695, 315));
    label(forumsFrame, "Username:", 60, 540);
    usernameEdit = place(new QLineEdit(forumsFrame), "txtUsername", tw(1080, 510, 1695, 285));
    pasteButtons[1] = button(forumsFrame, "cmdPaste1", "Paste", tw(2820, 510, 675, 285),
                             "Click within the Username field on the form you want to paste into, "
                             "then click here.");
    label(forumsFrame, "Password:", 60, 855);
    passwordEdit = place(new QLineEdit(forumsFrame), "txtPassword", tw(1080, 825, 1695, 285));
    passwordEdit->setEchoMode(QLineEdit::Password);
    pasteButtons[2] = button(forumsFrame, "cmdPaste2", "Paste", tw(2820, 825, 675, 285),
                             "Click within the Password field on the form you want to paste into, "
                             "then click here.");
    forumsFilter = filterBox(forumsFrame, "forumsFilter", tw(60, 1140, 3435, kFilterHeight));
    forumsList = place(new TitleList(forumsFrame), "lstPosts2",
                       tw(60, 1140 + kFilterShift, 3435, 1425 - kFilterShift));
    usernameEdit->setEnabled(false);
    passwordEdit->setEnabled(false);

    connect(forumsFilter, &QLineEdit::textChanged, this,
            [this] { forumsList->showOnlyMatching(forumsFilter->text()); });
    forumsList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    forumsList->installEventFilter(this);  // the Delete key
    connect(listsTabBar, &QTabBar::currentChanged, this, &MainWindow::selectPanelTab);
    connect(addForumButton, &QPushButton::clicked, this, &MainWindow::addCurrentForum);
    connect(removeForumButton, &QPushButton::clicked, this, &MainWindow::removeForum);
    // A forum counts as chosen when the user selects it, not when tabbing makes it current.
    connect(forumsList, &QListWidget::itemSelectionChanged, this, [this] {
        const QList<QListWidgetItem*> selected = forumsList->selectedItems();
        if (!selected.isEmpty()) forumClicked(forumsList->row(selected.front()));
    });
    connect(forumsList, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        browserPanel_->navigate(toStdString(TitleList::addressOf(item)));
    });
    // A forum's name is edited in place: F2, or a click on the selected entry.
    forumsList->setEditTriggers(QAbstractItemView::EditKeyPressed |
                                QAbstractItemView::SelectedClicked);
    connect(forumsList, &QListWidget::itemChanged, this, &MainWindow::renameForum);
    connect(usernameEdit, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (syncingFields_) return;
        if (lists_.forums.setUsernameField(toStdString(text))) {
            storeForums();
            return;
        }
        // The first "|" of a login ends the username, so a username cannot hold one.
        const QSignalBlocker block(usernameEdit);
        const int cursor = usernameEdit->cursorPosition();
        usernameEdit->setText(toQString(lists_.forums.usernameField()));
        usernameEdit->setCursorPosition(std::max(0, cursor - 1));
        QToolTip::showText(usernameEdit->mapToGlobal(QPoint(0, usernameEdit->height())),
                           QStringLiteral("A username cannot contain \"|\"."), usernameEdit);
    });
    connect(passwordEdit, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (syncingFields_) return;
        lists_.forums.setPasswordField(toStdString(text));
        storeForums();
    });
    for (int i = 0; i < 4; ++i) {
        connect(pasteButtons[static_cast<size_t>(i)], &QPushButton::clicked, this,
                [this, i] { pasteIntoPage(i); });
    }
}

void MainWindow::buildPostsPanel(QWidget* area) {
    postsFrame = place(new QGroupBox(area), "Frame3", tw(120, 5400, 3615, 4335));
    postsFrame->setFlat(true);
    watchPostButton = button(postsFrame, "cmdAdd", "Watch This Post", tw(60, 240, 1680, 375),
                             "Watch the current URL");
    removePostButton = button(postsFrame, "cmdDel", "Remove Watch", tw(1800, 240, 1695, 375));
    postsTabBar = place(new QTabBar(postsFrame), "TabStrip1", tw(60, 660, 3495, 315));
    postsTabBar->addTab(QStringLiteral("Show All"));
    postsTabBar->addTab(QStringLiteral("New Replies "));
    postsTabBar->setExpanding(false);
    checkRepliesButton =
        button(postsFrame, "cmdReplies", "Check for new replies", tw(60, 1020, 3435, 315));
    postsFilter = filterBox(postsFrame, "postsFilter", tw(60, 1380, 3435, kFilterHeight));
    postsList = place(new TitleList(postsFrame), "lstPosts",
                      tw(60, 1380 + kFilterShift, 3435, 1620 - kFilterShift));
    newRepliesList = place(new TitleList(postsFrame), "lstNew",
                           tw(60, 1380 + kFilterShift, 3435, 1620 - kFilterShift));
    newRepliesList->hide();
    checkRepliesButton->hide();
    postsFrame->hide();

    connect(postsFilter, &QLineEdit::textChanged, this, [this] {
        postsList->showOnlyMatching(postsFilter->text());
        newRepliesList->showOnlyMatching(postsFilter->text());
    });
    postsList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    postsList->installEventFilter(this);  // the Delete key
    connect(watchPostButton, &QPushButton::clicked, this, &MainWindow::watchThisPost);
    connect(removePostButton, &QPushButton::clicked, this, &MainWindow::removeWatchedPost);
    connect(checkRepliesButton, &QPushButton::clicked, this, &MainWindow::checkForNewReplies);
    connect(postsTabBar, &QTabBar::currentChanged, this, &MainWindow::selectPostsTab);
    for (QListWidget* list : {postsList, newRepliesList}) {
        connect(list, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
            setPanelText(2, withHiddenPassword(toStdString(TitleList::addressOf(item))));
        });
        connect(list, &QListWidget::itemDoubleClicked, this,
                [this, list](QListWidgetItem* item) { openListEntry(list, list->row(item)); });
    }
}

void MainWindow::buildMenus() {
    struct Entry {
        const char* text;
        std::function<void()> run;
        QKeySequence key = {};  // shown in the menu
    };
    auto addMenu = [this](const char* title, const char* prefix, std::vector<Entry> entries) {
        QMenu* menu = menuBar()->addMenu(QLatin1String(title));
        menu->setObjectName(QLatin1String(prefix));
        int index = 0;
        for (Entry& e : entries) {
            QAction* action = menu->addAction(QLatin1String(e.text));
            action->setObjectName(QLatin1String(prefix) + QLatin1Char('_') +
                                  QString::number(index++));
            if (!e.key.isEmpty()) action->setShortcut(e.key);
            connect(action, &QAction::triggered, this, [run = std::move(e.run)] { run(); });
        }
    };
    addMenu("&File", "mnuFile",
            {{"&New Message", [this] { newMessage(); }, QKeySequence::New},
             {"&Save Message", [this] { saveCurrentMessage(); }, QKeySequence::Save},
             {"&Load Message", [this] { Q_EMIT savedMessagesRequested(); }, QKeySequence::Open},
             // Every change is on disk as it is made, so the platform's Quit may end at once.
             {"E&xit", [this] { exitWithoutSaving(); }, QKeySequence::Quit}});
    // What is done for every post has a key of its own; Ctrl+Shift keeps them clear of the
    // editing keys of the message box and of the page.
    addMenu(
        "&Tools", "mnuTools",
        {{"&Preview", [this] { preview(); }},
         {"Auto &Insert", [this] { autoInsert(); }, QKeySequence(QStringLiteral("Ctrl+Shift+I"))},
         {"&Check Replies",
          [this] {
              selectPostsTab(1);
              checkForNewReplies();
          }},
         {"&Options", [this] { Q_EMIT templateEditorRequested(); }},
         {"Paste &Message", [this] { pasteIntoPage(3); },
          QKeySequence(QStringLiteral("Ctrl+Shift+M"))},
         {"Paste Su&bject", [this] { pasteIntoPage(0); },
          QKeySequence(QStringLiteral("Ctrl+Shift+J"))},
         {"Paste &Username", [this] { pasteIntoPage(1); },
          QKeySequence(QStringLiteral("Ctrl+Shift+U"))},
         {"Paste Pass&word", [this] { pasteIntoPage(2); },
          QKeySequence(QStringLiteral("Ctrl+Shift+P"))},
         // Esc while a check runs; the entry is enabled only then, so Esc is free else.
         {"S&top Check", [this] { stopReplyCheck(); }, QKeySequence::Cancel},
         {"Reply Check &Settings...", [this] { openCheckOptions(); }},
         {"Cop&y Message", [this] { copyMessage(); }, QKeySequence(QStringLiteral("Ctrl+Shift+C"))},
         {"W&atch This Post", [this] { watchThisPost(); },
          QKeySequence(QStringLiteral("Ctrl+Shift+W"))},
         {"&Remove Watch", [this] { removeWatchedPost(); }},
         {"A&dd Current URL", [this] { addCurrentForum(); }},
         {"Remo&ve URL", [this] { removeForum(); }},
         {"Keep Passwords in the Desktop &Keyring", [this] {
              if (Status s = setPasswordsInKeyring(keyringAction_->isChecked()); !s) {
                  showError(s.error().text);
              }
          }}});
    keyringAction_ = findChild<QAction*>(QStringLiteral("mnuTools_15"));
    keyringAction_->setCheckable(true);
    keyringAction_->setChecked(passwordsInKeyring_);
    stopCheckAction_ = findChild<QAction*>(QStringLiteral("mnuTools_8"));
    stopCheckAction_->setEnabled(false);
    addMenu("&View", "mnuView",
            {{"&Saved Messages", [this] { Q_EMIT savedMessagesRequested(); }},
             {"&All posts", [this] { selectPostsTab(0); }},
             {"&Replies", [this] { selectPostsTab(1); }},
             {"&Templates", [this] { Q_EMIT templateEditorRequested(); }}});
    addMenu("&Help", "mnuHelp",
            {{"View &Help", [this] { Q_EMIT helpRequested(); }, QKeySequence::HelpContents}});
    addMenu("&About", "mnuAbout", {{"&About this software", [this] { Q_EMIT aboutRequested(); }}});
}

// The window's load, in its order.
void MainWindow::load(const std::string& homePage) {
    setWindowTitle(windowTitleText());
    websiteButton->setText(QStringLiteral("Visit the ") + toQString(productIdentity().companyName) +
                           QStringLiteral(" Affiliate Training Center"));
    browserPanel_->navigate(homePage);

    std::vector<std::string> problems;
    if (Status s = prepareAppFolder(folder_); !s) problems.push_back(s.error().text);
    StartupLists startup = loadProgramLists(folder_);
    lists_ = std::move(startup.lists);
    problems.insert(problems.end(), startup.problems.begin(), startup.problems.end());
    if (passwordsInKeyring_) {
        if (Status s = fillPasswordsFrom(*vault_, lists_.forums); !s) {
            problems.push_back(
                "The forums' passwords could not all be read from the desktop "
                "keyring. " +
                s.error().text);
        }
    }
    refreshPosts();
    refreshForums();

    templates_ = loadTemplates(settings_);
    updateInterface();
    if (auto message = restoredMessage(settings_)) setMessageText(*message);
    setSubjectText(restoredSubject(settings_));
    std::vector<std::string> entries = formatChooserEntries(templates_);
    formatChooser->setCurrentIndex(restoredChooserIndex(settings_, entries));

    // Typing starts in the message, not on "Auto-Insert", which Space or Enter would fire.
    messageEdit->setFocus();
    setFocusProxy(messageEdit);

    skinWindow(*this, {{centralWidget(), QStringLiteral("SkinLabel1")},
                       {messageEditorFrame, QStringLiteral("SkinLabel2")},
                       {browserPanel_, QStringLiteral("SkinLabel3")}});

    // The help window opens at start while "Show at Startup" is ticked; it is asked for once
    // the window exists, so whoever opens it can place it above this one.
    if (readSetting(settings_, keys::showHelp) == "1") {
        QTimer::singleShot(0, this, &MainWindow::helpRequested);
    }

    if (!problems.empty()) {
        std::string text;
        for (const std::string& p : problems) text += (text.empty() ? "" : "\r\n") + p;
        showError(text);
    }
}

void MainWindow::updateInterface() {
    const int previousIndex = formatChooser->currentIndex();
    const std::string previous = chooserText();
    const std::vector<std::string> entries = formatChooserEntries(templates_);
    formatChooser->clear();
    for (const std::string& entry : entries) formatChooser->addItem(toQString(entry));
    if (previousIndex < 0) {  // the first fill, at start
        formatChooser->setCurrentIndex(0);
        return;
    }
    const std::optional<int> index = chooserIndexOfName(entries, previous, previousIndex);
    formatChooser->setCurrentIndex(index.value_or(0));
    if (!index) {
        setPanelText(2, "The format \"" + previous +
                            "\" is no longer listed; messages now go out as \"" +
                            std::string(kPlainTextEntry) + "\".");
    }
    // The template editor that refilled the chooser tells of its own failed store.
    if (Status s = rememberChooserChoice(); !s) setPanelText(2, s.error().text);
}

Status MainWindow::rememberChooserChoice() {
    return storeChooserChoice(settings_, formatChooser->currentIndex(), chooserText());
}

void MainWindow::setPanelText(int panel, const std::string& text) {
    if (panel >= 1 && panel <= 3) panels_[static_cast<size_t>(panel - 1)]->setText(toQString(text));
}

// The box's raw text keeps what toPlainText() would change (a no-break space turns into a
// space there). Its own paragraph separators are the line breaks, CR LF; a line separator
// stands for a lone CR that was put into it.
std::string MainWindow::messageText() const {
    QString text = messageEdit->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    text.replace(QChar::LineSeparator, QLatin1Char('\r'));
    return toStdString(text);
}

void MainWindow::setMessageText(const std::string& text) {
    // CR LF is a line break of the box; a lone CR would become one too and come back as
    // CR LF, so it goes in as a line separator, shown as a break within the paragraph.
    QString shown = toQString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QChar::LineSeparator);
    messageEdit->setPlainText(shown);
}

std::string MainWindow::subjectText() const {
    return toStdString(subjectEdit->text());
}

void MainWindow::setSubjectText(const std::string& text) {
    subjectEdit->setText(toQString(text));
}

std::string MainWindow::chooserText() const {
    return toStdString(formatChooser->currentText());
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
            return bareMessageText(messageText(), chooserText(), templates_);
        default:
            return {};
    }
}

int MainWindow::commandRowBottom() const {
    return messageEditorFrame->mapTo(this, QPoint(0, 0)).y();
}

void MainWindow::showError(const std::string& text) {
    MessageBox::show(this, toQString(productIdentity().productName), toQString(text),
                     MessageBox::Icon::Warning);
}

}  // namespace boardcast
