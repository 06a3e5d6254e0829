#include "ui/browser_panel.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QShortcut>
#include <QToolButton>
#include <QWebEngineView>

#include "platform/qt_strings.h"
#include "platform/webengine_browser.h"
#include "ui/message_box.h"
#include "ui/nav_icons.h"
#include "ui/popup_window.h"

namespace boardcast {

namespace {

// Sizes of the design, in pixels.
constexpr int kNavButtonSide = 29;
constexpr QSize kGoButtonSize(53, 21);
constexpr int kNavButtonGap = 3;

constexpr int kDownloadPanel = 1;
constexpr int kStatusTextPanel = 2;
constexpr int kPasteIndices = 4;

}  // namespace

BrowserPanel::BrowserPanel(StatusPanels& status, Services services, QWidget* parent)
    : QGroupBox(QStringLiteral("Browser"), parent),
      status_(status),
      services_(std::move(services)) {
    setObjectName(QStringLiteral("Frame2"));

    browser_ = new WebEngineBrowser(this);
    browser_->setParent(this);  // the adapter itself has no parent; the panel owns it
    QWebEngineView* view = browser_->view();
    view->setObjectName(QStringLiteral("WebBrowser1"));
    view->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    autoInsert_ =
        std::make_unique<AutoInsert>(*browser_, services_.scratchPath, services_.watchCurrentPage);

    auto* urlLabel = new QLabel(QStringLiteral("URL:"), this);
    Text5 = new QLineEdit(this);
    Text5->setObjectName(QStringLiteral("Text5"));
    Text5->setFixedHeight(kGoButtonSize.height());
    const NavButtons nav =
        makeNavButtons(this, *browser_, kGoButtonSize, QSize(kNavButtonSide, kNavButtonSide));
    Command3 = nav.go;
    Command4 = nav.back;
    Command5 = nav.forward;
    Command6 = nav.stop;
    Command7 = nav.refresh;
    Check1 = new QCheckBox(QStringLiteral("No Popups"), this);
    Check1->setObjectName(QStringLiteral("Check1"));

    // The navigation row starts under the address box, as in the design.
    auto* navRow = new QHBoxLayout;
    navRow->setSpacing(kNavButtonGap);
    for (QToolButton* button : {Command4, Command5, Command6, Command7}) navRow->addWidget(button);
    navRow->addSpacing(4);
    navRow->addWidget(Check1, 0, Qt::AlignBottom);
    navRow->addStretch();

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(8, 4, 8, 8);
    grid->setHorizontalSpacing(3);
    grid->setVerticalSpacing(3);
    grid->addWidget(urlLabel, 0, 0);
    grid->addWidget(Text5, 0, 1);
    grid->addWidget(Command3, 0, 2);
    grid->addLayout(navRow, 1, 1, 1, 2);
    grid->addWidget(view, 2, 0, 1, 3);
    grid->setRowStretch(2, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowMinimumHeight(1, kNavButtonSide + 4);

    // The browser's usual keys: back, forward, reload, and Ctrl+L for the address box.
    Command4->setShortcut(QKeySequence::Back);
    Command5->setShortcut(QKeySequence::Forward);
    Command7->setShortcut(QKeySequence::Refresh);
    auto* toAddress = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), this);
    toAddress->setContext(Qt::WindowShortcut);
    connect(toAddress, &QShortcut::activated, this, [this] {
        Text5->setFocus(Qt::ShortcutFocusReason);
        Text5->selectAll();
    });
    connect(Command3, &QToolButton::clicked, this, &BrowserPanel::openEnteredAddress);
    connect(Text5, &QLineEdit::returnPressed, this, &BrowserPanel::openEnteredAddress);

    // Windows that pages open get a browser window of ours, unless "No Popups" is ticked.
    QPointer<QCheckBox> noPopups = Check1;
    browser_->setPopupFactory(popupWindows([noPopups] { return noPopups && noPopups->isChecked(); }));
    browser_->setEvents(this);
}

BrowserPanel::~BrowserPanel() {
    // The browser outlives this object's own members while QWidget tears down the children;
    // it must not call back into a half-destroyed panel.
    browser_->setEvents(nullptr);
}

Browser& BrowserPanel::browser() {
    return *browser_;
}

WebEngineBrowser& BrowserPanel::webEngine() {
    return *browser_;
}

AutoInsert& BrowserPanel::autoInsert() {
    return *autoInsert_;
}

void BrowserPanel::autoInsertMessage(InsertRequest request) {
    autoInsert_->autoInsertMessage(std::move(request), [this](const InsertResult& result) {
        if (result.written) return;
        MessageBox::show(
            window(), QStringLiteral("Auto-Insert Error"),
            QStringLiteral("Could not auto-insert your message.  Try pasting instead."),
            MessageBox::Icon::None);
    });
}

void BrowserPanel::pasteIntoPage(int index) {
    if (index < 0 || index >= kPasteIndices || !services_.pasteText) return;
    // A paste that finds no focused field changes nothing and reports nothing.
    browser_->pasteText(services_.pasteText(index), [](bool) {});
}

void BrowserPanel::navigate(const std::string& address) {
    browser_->navigate(address);
}

std::string BrowserPanel::currentAddress() const {
    return browser_->locationUrl();
}

void BrowserPanel::openEnteredAddress() {
    browser_->navigate(toStdString(Text5->text()));
}

void BrowserPanel::onStatusTextChange(const std::string& text) {
    status_.setPanelText(kStatusTextPanel, text);
}

void BrowserPanel::onProgressChange(int) {}

void BrowserPanel::onDownloadBegin() {
    status_.setPanelText(kDownloadPanel, "Connecting");
}

void BrowserPanel::onDownloadComplete() {
    Text5->setText(browser_->displayAddress());
    status_.setPanelText(kDownloadPanel, "Complete");
    autoInsert_->checkForPostedMessage();
}

void BrowserPanel::onTitleChange(const std::string&) {
    Text5->setText(browser_->displayAddress());
}

bool BrowserPanel::onNewWindow() {
    return Check1->isChecked();
}

}  // namespace boardcast
