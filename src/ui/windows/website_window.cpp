#include "ui/windows/website_window.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QToolButton>
#include <QWebEnginePage>
#include <QWebEngineView>

#include "core/shell/main_window_layout.h"
#include "core/shell/product_identity.h"
#include "core/shell/website_layout.h"
#include "platform/qt_strings.h"
#include "ui/widgets/address_bar.h"
#include "ui/widgets/appearance.h"
#include "ui/widgets/status_panels.h"
#include "ui/widgets/twips.h"

namespace boardcast {

namespace {

// A page's window: its size before the page asks for one, and its buttons' sizes.
constexpr QSize kPageWindowSize(900, 700);
constexpr QSize kGoButtonSize(53, 21);
constexpr int kNavButtonSide = 29;

}  // namespace

WebsiteWindow::WebsiteWindow(const std::string& address, QWidget* parent)
    : WebsiteWindow(Role::MakersSite, nullptr, {}, parent) {
    browser_->navigate(address);
}

WebsiteWindow::WebsiteWindow(QWebEngineProfile* profile, std::function<bool()> refuse)
    : WebsiteWindow(Role::PageWindow, profile, std::move(refuse), nullptr) {}

WebsiteWindow::WebsiteWindow(Role role, QWebEngineProfile* profile, std::function<bool()> refuse,
                             QWidget* parent)
    : QMainWindow(parent), role_(role), refuse_(std::move(refuse)) {
    setAttribute(Qt::WA_DeleteOnClose);
    auto* area = new QWidget(this);
    setCentralWidget(area);
    QWidget* browserParent = area;
    if (role_ == Role::MakersSite) {
        browserFrame = new QGroupBox(QStringLiteral("Browser"), area);
        browserFrame->setObjectName(QStringLiteral("frmBrowser"));
        browserParent = browserFrame;
    }
    browser_ = new WebEngineBrowser(browserParent, profile);
    browser_->setParent(this);  // the adapter itself has no parent; the window owns it
    browser_->setPopupFactory(popupWindows(refuse_));
    addStatusPanels(*this, panels_);
    if (role_ == Role::MakersSite) {
        placeAsMakersSite();
    } else {
        placeAsPageWindow();
    }
    // Pages that open windows get separate browser windows, unless the opener refuses them.
    events_.refuseNewWindow = refuse_;
    events_.statusText = [this](const std::string& text) { panels_[0]->setText(toQString(text)); };
    events_.downloadBegin = [this] {
        panels_[1]->setText(QStringLiteral("Opening ") + browser_->displayAddress());
    };
    events_.downloadComplete = [this] { showLoadedPage(); };
    events_.titleChange = [this](const std::string& title) {
        addressBar_->showAddress(*browser_);
        if (role_ == Role::PageWindow) setWindowTitle(toQString(title));
    };
    browser_->setEvents(&events_);
}

WebsiteWindow::~WebsiteWindow() {
    browser_->setEvents(nullptr);
}

// The design's places, in twips; layoutWindow sizes what follows the window's size.
void WebsiteWindow::placeAsMakersSite() {
    using namespace website_design;
    setObjectName(QStringLiteral("frmWebsite"));
    resize(1024, 720);  // the size it returns to when un-maximised
    browserFrame->move(px(kFrameLeft), px(kFrameTop));
    QWebEngineView* view = browser_->view();
    view->setObjectName(QStringLiteral("WebBrowser1"));
    view->move(px(kBrowserLeft), px(kBrowserTop));

    addressBar_ = std::make_unique<AddressBar>(browserFrame, *browser_, QStringLiteral("Text1"),
                                               QSize(px(kGoWidth), px(kControlHeight)),
                                               QSize(px(kNavSide), px(kNavSide)));
    const AddressBar& bar = *addressBar_;
    bar.label->setGeometry(tw(120, kAddressTop, kAddressLeft - 150, kControlHeight));
    bar.edit->setGeometry(tw(kAddressLeft, kAddressTop, 3000, kControlHeight));
    bar.nav.go->move(px(kAddressLeft + 3000 + 100), px(kAddressTop));
    int navLeft = kAddressLeft;
    for (QToolButton* button : {bar.nav.back, bar.nav.forward, bar.nav.stop, bar.nav.refresh}) {
        button->move(px(navLeft), px(kNavTop));
        navLeft += kNavStep;
    }

    setWindowTitle(toQString(productIdentity().webSiteText));
    setTopmost(*this, true);
    skinWindow(*this, {{browserFrame, QStringLiteral("SkinLabel1")}});
    layoutWindow();
}

// A grid that grows with the window: the address row, the navigation row, the page.
void WebsiteWindow::placeAsPageWindow() {
    setObjectName(QStringLiteral("frmPopup"));
    QWidget* area = centralWidget();
    addressBar_ =
        std::make_unique<AddressBar>(area, *browser_, QStringLiteral("Text1"), kGoButtonSize,
                                     QSize(kNavButtonSide, kNavButtonSide));
    const AddressBar& bar = *addressBar_;
    auto* navRow = new QHBoxLayout;
    for (QToolButton* button : {bar.nav.back, bar.nav.forward, bar.nav.stop, bar.nav.refresh}) {
        navRow->addWidget(button);
    }
    navRow->addStretch();
    auto* grid = new QGridLayout(area);
    grid->addWidget(bar.label, 0, 0);
    grid->addWidget(bar.edit, 0, 1);
    grid->addWidget(bar.nav.go, 0, 2);
    grid->addLayout(navRow, 1, 1, 1, 2);
    grid->addWidget(browser_->view(), 2, 0, 1, 3);
    grid->setRowStretch(2, 1);
    grid->setColumnStretch(1, 1);

    QWebEnginePage* page = browser_->view()->page();
    connect(page, &QWebEnginePage::windowCloseRequested, this, &QWidget::close);
    connect(page, &QWebEnginePage::geometryChangeRequested, this, [this](const QRect& geometry) {
        // The page asks for the size of its content; the controls come on top of it.
        resize(geometry.size() + (size() - browser_->view()->size()));
    });
    resize(kPageWindowSize);
}

void WebsiteWindow::showLoadedPage() {
    panels_[1]->setText(QStringLiteral("Completed ") + browser_->displayAddress());
    addressBar_->showAddress(*browser_);
    if (role_ == Role::MakersSite) setWindowTitle(toQString(browser_->locationName()));
}

void WebsiteWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    layoutWindow();
}

void WebsiteWindow::closeEvent(QCloseEvent* event) {
    Q_EMIT closed();
    event->accept();
}

void WebsiteWindow::layoutWindow() {
    if (role_ != Role::MakersSite || !addressBar_) return;
    const QRect outer = frameGeometry();
    const WebsiteLayout l =
        layoutWebsiteWindow(outer.width() * kTwipsPerPixel, outer.height() * kTwipsPerPixel,
                            statusBar()->height() * kTwipsPerPixel);
    for (QLabel* panel : panels_) panel->setFixedWidth(px(l.panelWidth));
    browserFrame->resize(px(l.frameWidth), px(l.frameHeight));
    addressBar_->edit->resize(px(l.addressWidth), addressBar_->edit->height());
    addressBar_->nav.go->move(px(l.goLeft), addressBar_->nav.go->y());
    browser_->view()->resize(px(l.browserWidth), px(l.browserHeight));
}

WebEngineBrowser::PopupFactory popupWindows(std::function<bool()> refuse) {
    return [refuse = std::move(refuse)](QWebEngineProfile* profile) -> WebEngineBrowser* {
        auto* window = new WebsiteWindow(profile, refuse);
        window->show();
        return &window->webEngine();
    };
}

}  // namespace boardcast
