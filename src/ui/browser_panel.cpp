#include "ui/browser_panel.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QShortcut>
#include <QToolButton>
#include <QWebEngineView>

#include "core/shell/main_window_layout.h"
#include "platform/qt_strings.h"
#include "platform/webengine_browser.h"
#include "ui/message_box.h"
#include "ui/nav_icons.h"
#include "ui/popup_window.h"

namespace boardcast {

namespace {

// Sizes of the design, in pixels (435 and 795 by 315 twips); the address row's top in twips.
constexpr int kNavButtonSide = 29;
constexpr QSize kGoButtonSize(53, 21);
constexpr int kRowTop = 240;
constexpr int kFrameMargin = 4;  // inside the frame's lower border

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
    addressEdit = new QLineEdit(this);
    addressEdit->setObjectName(QStringLiteral("Text5"));
    addressEdit->setFixedHeight(kGoButtonSize.height());
    const NavButtons nav =
        makeNavButtons(this, *browser_, kGoButtonSize, QSize(kNavButtonSide, kNavButtonSide));
    goButton = nav.go;
    backButton = nav.back;
    forwardButton = nav.forward;
    stopButton = nav.stop;
    refreshButton = nav.refresh;
    noPopupsBox = new QCheckBox(QStringLiteral("No Popups"), this);
    noPopupsBox->setObjectName(QStringLiteral("Check1"));

    // The design positions inside Frame2, in twips; applyLayout sizes the address box, the
    // go button's place and the browser.
    auto place = [](QWidget* w, int left, int top) {
        w->move(left / kTwipsPerPixel, top / kTwipsPerPixel);
    };
    place(urlLabel, 120, 300);
    urlLabel->adjustSize();
    place(addressEdit, design::kAddressLeft, kRowTop);
    addressEdit->resize(4875 / kTwipsPerPixel, kGoButtonSize.height());
    goButton->setFixedSize(kGoButtonSize);
    place(goButton, 5460, kRowTop);
    int navLeft = design::kAddressLeft;
    for (QToolButton* button : {backButton, forwardButton, stopButton, refreshButton}) {
        button->setFixedSize(kNavButtonSide, kNavButtonSide);
        place(button, navLeft, 600);
        navLeft += 480;
    }
    place(noPopupsBox, 2520, 780);
    noPopupsBox->adjustSize();
    place(view, 120, design::kBrowserTop);
    view->resize(6135 / kTwipsPerPixel, 5595 / kTwipsPerPixel);

    // The browser's usual keys: back, forward, reload, and Ctrl+L for the address box.
    backButton->setShortcut(QKeySequence::Back);
    forwardButton->setShortcut(QKeySequence::Forward);
    refreshButton->setShortcut(QKeySequence::Refresh);
    auto* toAddress = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), this);
    toAddress->setContext(Qt::WindowShortcut);
    connect(toAddress, &QShortcut::activated, this, [this] {
        addressEdit->setFocus(Qt::ShortcutFocusReason);
        addressEdit->selectAll();
    });
    connect(goButton, &QToolButton::clicked, this, &BrowserPanel::openEnteredAddress);
    connect(addressEdit, &QLineEdit::returnPressed, this, &BrowserPanel::openEnteredAddress);

    // Windows that pages open get a browser window of ours, unless "No Popups" is ticked.
    browser_->setPopupFactory(popupWindows(popupRule()));
    browser_->setEvents(this);
}

void BrowserPanel::applyLayout(const MainWindowLayout& layout) {
    const int px = kTwipsPerPixel;
    addressEdit->resize(layout.addressWidth / px, addressEdit->height());
    goButton->move(layout.goLeft / px, goButton->y());
    // Near the minimum size the rules (taking absolute values) ask for more height than the
    // frame has; the browser then ends inside the frame, above the status bar.
    QWebEngineView* view = browser_->view();
    const int room = height() - view->y() - kFrameMargin;
    view->resize(layout.browserWidth / px, std::min(layout.browserHeight / px, std::max(room, 0)));
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

std::function<bool()> BrowserPanel::popupRule() const {
    QPointer<QCheckBox> noPopups = noPopupsBox;
    return [noPopups] { return noPopups && noPopups->isChecked(); };
}

void BrowserPanel::openInNewWindow(const std::string& address) {
    popupWindows(popupRule())(browser_->profile())->navigate(address);
}

std::string BrowserPanel::currentAddress() const {
    return browser_->locationUrl();
}

void BrowserPanel::openEnteredAddress() {
    browser_->navigate(toStdString(addressEdit->text()));
}

void BrowserPanel::onStatusTextChange(const std::string& text) {
    status_.setPanelText(kStatusTextPanel, text);
}

void BrowserPanel::onProgressChange(int) {}

void BrowserPanel::onDownloadBegin() {
    status_.setPanelText(kDownloadPanel, "Connecting");
}

void BrowserPanel::onDownloadComplete() {
    addressEdit->setText(browser_->displayAddress());
    status_.setPanelText(kDownloadPanel, "Complete");
    autoInsert_->checkForPostedMessage();
}

void BrowserPanel::onTitleChange(const std::string&) {
    addressEdit->setText(browser_->displayAddress());
}

bool BrowserPanel::onNewWindow() {
    return noPopupsBox->isChecked();
}

}  // namespace boardcast
