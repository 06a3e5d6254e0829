// The main window's construction, layout and events; its commands are in
// main_window_commands.cpp.

#include "ui/main/main_window.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>

#include "core/conversion/message_output.h"
#include "core/shell/closing_saves.h"
#include "core/shell/forum_store.h"
#include "core/shell/main_window_layout.h"
#include "core/shell/product_identity.h"
#include "core/storage/data_files.h"
#include "core/storage/settings_keys.h"
#include "core/storage/text_file.h"
#include "platform/browser_cookies.h"
#include "platform/desktop_keyring.h"
#include "platform/desktop_watching.h"
#include "platform/qt_strings.h"
#include "platform/watching_service.h"
#include "platform/webengine_browser.h"
#include "posting/page_scan.h"
#include "ui/main/browser_panel.h"
#include "ui/main/format_chooser.h"
#include "ui/main/forums_panel.h"
#include "ui/main/message_editor.h"
#include "ui/main/posts_panel.h"
#include "ui/widgets/appearance.h"
#include "ui/widgets/message_box.h"
#include "ui/widgets/status_panels.h"
#include "ui/widgets/tab_strip.h"
#include "ui/widgets/twips.h"
#include "ui/widgets/window_places.h"

namespace boardcast {

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
    addStatusPanels(*this, panels_);
    startWatching();
    vault_ = std::make_unique<DesktopKeyring>();
    forumStore_ = std::make_unique<ForumStore>(folder_, lists_, *vault_, settings_);

    buildCommandRow(area);
    messageEditor_ = new MessageEditor(
        settings_, [this](const Error& e) { reportWriteFailure(e); }, area);
    messageEditor_->setGeometry(tw(60, 900, 3735, 4155));
    connect(messageEditor_, &MessageEditor::pasteRequested, this, &MainWindow::pasteIntoPage);
    buildLists(area);
    BrowserPanel::Services services{
        joinPath(folder_, kScanRecordFile), [this](int index) { return pasteText(index); },
        [this](const SeenPost& seen) { watchPage(seen.messageShown, seen.address); },
        [this] { followRememberedFormat(); }};
    browserPanel_ = new BrowserPanel(*this, std::move(services), area);
    browserPanel_->autoInsert().setMarkdownQuestion(
        [this](std::function<void(MarkdownAnswer)> answer) {
            answer(formatChooser->askAboutMarkdown());
        });
    browserPanel_->setGeometry(tw(3840, 900, 6375, 7395));
    askAsTheBrowser();

    menus_ = buildMainMenus(*this);
    menus_.keyring->setChecked(forumStore_->passwordsInKeyring());
    setMinimumSize(px(kMinWindowWidth), px(kMinWindowHeight));
    resize(px(11145), px(8985) + menuBar()->sizeHint().height());
    if (!restorePlace(*this, settings_, "main") && screen()) {
        // The first time in the middle of the screen, placed here rather than by the window
        // manager, so that the help window can be placed beside it before it shows.
        move(screen()->availableGeometry().center() - rect().center());
    }
    load(homePage);
}

MainWindow::~MainWindow() {
    // The probes report into this window; they go first, after the cookies that fill their
    // jar have been written.
    browserCookies_.reset();
    watching_.reset();
}

void MainWindow::startWatching() {
    DesktopWatching::Events events;
    events.postChanged = [this](const std::string& address) { postsPanel_->showPost(address); };
    events.postMeasured = [this](const std::string&) {
        postsPanel_->refresh();  // a thread watched already keeps one entry
        storePosts();            // the measured baseline
    };
    events.checkChanged = [this] {
        postsPanel_->showNewReplies(watching_->threadsWithNews());
        if (menus_.stopCheck) menus_.stopCheck->setEnabled(watching_->checkRunning());
    };
    events.checkDue = [this] { checkForNewReplies(); };
    watching_ =
        std::make_unique<DesktopWatching>(*this, lists_.posts, settings_, std::move(events), this);
}

// The check asks as the embedded browser does, with the cookies of the user's logins.
void MainWindow::askAsTheBrowser() {
    BrowserAsking asking =
        boardcast::askAsTheBrowser(browserPanel_->webEngine().profile(), watching_->service(),
                                   settings_, joinPath(folder_, kCookiesFile));
    if (!asking.stored) setPanelText(2, asking.stored.error().text);
    browserCookies_ = std::move(asking.cookies);
    connect(browserCookies_.get(), &BrowserCookies::saveFailed, this, [this](const QString& text) {
        reportWriteFailure({ErrorCode::Io, toStdString(text)});
    });
}

void MainWindow::buildCommandRow(QWidget* area) {
    commandRow_ = boardcast::buildCommandRow(area);
    formatChooser = new FormatChooser(
        settings_, templates_, *this, [this](const Error& e) { reportWriteFailure(e); }, area);
    place(formatChooser, "cmbConvert", tw(2100, 480, 1635, 315));
    setTabOrder(commandRow_.autoInsert, formatChooser);
    connect(commandRow_.autoInsert, &QToolButton::clicked, this, &MainWindow::autoInsert);
    connect(commandRow_.preview, &QToolButton::clicked, this, &MainWindow::preview);
    connect(commandRow_.copy, &QToolButton::clicked, this, &MainWindow::copyMessage);
    connect(commandRow_.save, &QToolButton::clicked, this, &MainWindow::saveCurrentMessage);
    connect(commandRow_.load, &QToolButton::clicked, this, &MainWindow::savedMessagesRequested);
    connect(commandRow_.options, &QToolButton::clicked, this, &MainWindow::templateEditorRequested);
    connect(commandRow_.website, &QPushButton::clicked, this, &MainWindow::websiteRequested);
}

void MainWindow::buildLists(QWidget* area) {
    listsTabs_ = buildTabStrip(area, "TabStrip2",
                               {QStringLiteral("Your Forums"), QStringLiteral("Your Posts")},
                               tw(60, 5100, 3735, 4815));
    connect(listsTabs_.tabs, &QTabBar::currentChanged, this, &MainWindow::selectPanelTab);

    forumsPanel_ = new ForumsPanel(lists_.forums, *this, area);
    forumsPanel_->setGeometry(tw(120, 5425, 3615, 4335));
    connect(forumsPanel_, &ForumsPanel::addRequested, this, &MainWindow::addCurrentForum);
    connect(forumsPanel_, &ForumsPanel::removeRequested, this, &MainWindow::removeForum);
    connect(forumsPanel_, &ForumsPanel::pasteRequested, this, &MainWindow::pasteIntoPage);
    connect(forumsPanel_, &ForumsPanel::changed, this, &MainWindow::storeForums);
    connect(forumsPanel_, &ForumsPanel::openRequested, this,
            [this](const QString& address) { browserPanel_->navigate(toStdString(address)); });

    postsPanel_ = new PostsPanel(lists_.posts, watching_->marks(), *this, area);
    postsPanel_->setGeometry(tw(120, 5400, 3615, 4335));
    postsPanel_->hide();
    connect(postsPanel_, &PostsPanel::watchRequested, this, &MainWindow::watchThisPost);
    connect(postsPanel_, &PostsPanel::removeRequested, this, &MainWindow::removeWatchedPost);
    connect(postsPanel_, &PostsPanel::checkRequested, this, &MainWindow::checkForNewReplies);
    // The posts panel is where both lists live; it shows so the choice can be seen.
    connect(postsPanel_, &PostsPanel::tabShown, this, [this] { selectPanelTab(1); });
    connect(postsPanel_, &PostsPanel::opened, this, &MainWindow::openListEntry);
}

// The window's load, in its order.
void MainWindow::load(const std::string& homePage) {
    const ProductIdentity& id = productIdentity();
    setWindowTitle(toQString(std::string(id.productName) + " by " + std::string(id.companyName)));
    commandRow_.website->setText(QStringLiteral("Visit the ") + toQString(id.companyName) +
                                 QStringLiteral(" Affiliate Training Center"));
    browserPanel_->navigate(homePage);

    std::vector<std::string> problems;
    if (Status s = prepareAppFolder(folder_); !s) problems.push_back(s.error().text);
    StartupLists startup = loadProgramLists(folder_);
    lists_ = std::move(startup.lists);
    problems.insert(problems.end(), startup.problems.begin(), startup.problems.end());
    if (Status s = forumStore_->readPasswords(); !s) problems.push_back(s.error().text);
    postsPanel_->refresh();
    forumsPanel_->refresh();

    templates_ = loadTemplates(settings_);
    updateInterface();
    if (auto message = restoredMessage(settings_)) setMessageText(*message);
    setSubjectText(restoredSubject(settings_));
    formatChooser->restore();

    // Typing starts in the message, not on "Auto-Insert", which Space or Enter would fire.
    messageEditor_->messageBox()->setFocus();
    setFocusProxy(messageEditor_->messageBox());

    skinWindow(*this, {{centralWidget(), QStringLiteral("SkinLabel1")},
                       {messageEditor_, QStringLiteral("SkinLabel2")},
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

void MainWindow::setPanelText(int panel, const std::string& text) {
    if (panel >= 1 && panel <= 3) panels_[static_cast<size_t>(panel - 1)]->setText(toQString(text));
}

int MainWindow::commandRowBottom() const {
    return messageEditor_->mapTo(this, QPoint(0, 0)).y();
}

void MainWindow::showError(const std::string& text) {
    MessageBox::show(this, toQString(productIdentity().productName), toQString(text),
                     MessageBox::Icon::Warning);
}

void MainWindow::reportWriteFailure(const Error& error) {
    setPanelText(2, error.text);
    if (failureBoxes_.shouldShow(error.text, QDateTime::currentMSecsSinceEpoch())) {
        showError("A change could not be saved. " + error.text);
    }
}

// An orderly shutdown: the lists and the message state are written, and anything that
// could not be written is reported in one box before the program ends.
void MainWindow::closeEvent(QCloseEvent* event) {
    keepPlace(*this, settings_, "main");
    const std::vector<Error> failures =
        saveAtClose(folder_, lists_, forumStore_->passwordsInKeyring(), settings_,
                    {messageText(), formatChooser->currentIndex(), formatChooser->chosen()});
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
    postsPanel_->applyLayout(*l);
    forumsPanel_->applyLayout(*l);
    // Frame2 keeps to the rules, but never reaches under the status bar (the rules measure
    // the window's outer height, title and menu included).
    const int roomBelow = centralWidget()->height() - browserPanel_->y();
    browserPanel_->resize(px(l->frame2Width), std::min(px(l->frame2Height), roomBelow));
    browserPanel_->applyLayout(*l);
    panels_[0]->setFixedWidth(px(l->panel1Width));
    panels_[1]->setFixedWidth(px(l->panel2Width));
    panels_[2]->setFixedWidth(px(l->panel3Width));
    commandRow_.website->resize(px(l->command1Width), commandRow_.website->height());
    listsTabs_.box->resize(listsTabs_.box->width(), px(l->tabStrip2Height));
}

}  // namespace boardcast
