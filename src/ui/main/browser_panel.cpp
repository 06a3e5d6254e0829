#include "ui/main/browser_panel.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QToolButton>
#include <QWebEngineView>

#include "core/shell/main_window_layout.h"
#include "platform/qt_strings.h"
#include "platform/webengine_browser.h"
#include "posting/rendered_message.h"
#include "ui/widgets/address_bar.h"
#include "ui/widgets/message_box.h"
#include "ui/widgets/twips.h"
#include "ui/windows/website_window.h"

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
    autoInsert_ = std::make_unique<AutoInsert>(*browser_, services_.scanRecordPath,
                                               services_.watchCurrentPage);

    addressBar_ =
        std::make_unique<AddressBar>(this, *browser_, QStringLiteral("Text5"), kGoButtonSize,
                                     QSize(kNavButtonSide, kNavButtonSide));
    const AddressBar& bar = *addressBar_;
    bar.edit->setFixedHeight(kGoButtonSize.height());
    noPopupsBox = new QCheckBox(QStringLiteral("No Popups"), this);
    noPopupsBox->setObjectName(QStringLiteral("Check1"));

    // The design positions inside the panel, in twips; applyLayout sizes the address box, the
    // go button's place and the browser.
    auto place = [](QWidget* w, int left, int top) { w->move(px(left), px(top)); };
    place(bar.label, 120, 300);
    bar.label->adjustSize();
    place(bar.edit, design::kAddressLeft, kRowTop);
    bar.edit->resize(px(4875), kGoButtonSize.height());
    bar.nav.go->setFixedSize(kGoButtonSize);
    place(bar.nav.go, 5460, kRowTop);
    int navLeft = design::kAddressLeft;
    for (QToolButton* button : {bar.nav.back, bar.nav.forward, bar.nav.stop, bar.nav.refresh}) {
        button->setFixedSize(kNavButtonSide, kNavButtonSide);
        place(button, navLeft, 600);
        navLeft += 480;
    }
    place(noPopupsBox, 2520, 780);
    noPopupsBox->adjustSize();
    place(view, 120, design::kBrowserTop);
    view->resize(px(6135), px(5595));

    // Windows that pages open get a browser window of ours, unless "No Popups" is ticked.
    browser_->setPopupFactory(popupWindows(popupRule()));
    events_.statusText = [this](const std::string& text) {
        status_.setPanelText(kStatusTextPanel, text);
    };
    events_.downloadBegin = [this] { status_.setPanelText(kDownloadPanel, "Connecting"); };
    events_.downloadComplete = [this] {
        addressBar_->showAddress(*browser_);
        status_.setPanelText(kDownloadPanel, "Complete");
        autoInsert_->checkForPostedMessage();
        if (services_.pageLoaded) services_.pageLoaded();
    };
    events_.titleChange = [this](const std::string&) { addressBar_->showAddress(*browser_); };
    events_.refuseNewWindow = popupRule();
    browser_->setEvents(&events_);
}

void BrowserPanel::applyLayout(const MainWindowLayout& layout) {
    addressBar_->edit->resize(px(layout.addressWidth), addressBar_->edit->height());
    addressBar_->nav.go->move(px(layout.goLeft), addressBar_->nav.go->y());
    // Near the minimum size the rules (taking absolute values) ask for more height than the
    // frame has; the browser then ends inside the frame, above the status bar.
    QWebEngineView* view = browser_->view();
    const int room = height() - view->y() - kFrameMargin;
    view->resize(px(layout.browserWidth), std::min(px(layout.browserHeight), std::max(room, 0)));
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

void BrowserPanel::autoInsertMessage(InsertRequest request,
                                     std::function<void(const InsertResult&)> then) {
    autoInsert_->autoInsertMessage(
        std::move(request), [this, then = std::move(then)](const InsertResult& result) {
            if (then) then(result);
            if (result.cancelled) return;
            if (!result.written) {
                MessageBox::show(
                    window(), QStringLiteral("Auto-Insert Error"),
                    QStringLiteral("Could not auto-insert your message.  Try pasting instead."),
                    MessageBox::Icon::None);
            } else if (result.differs()) {
                MessageBox::show(window(), QStringLiteral("Auto-Insert Error"),
                                 toQString(lossReport(result)), MessageBox::Icon::Warning);
            }
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

std::string BrowserPanel::currentTitle() const {
    return browser_->locationName();
}

}  // namespace boardcast
