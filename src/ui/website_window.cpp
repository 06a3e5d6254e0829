#include "ui/website_window.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QToolButton>
#include <QWebEngineView>

#include "core/shell/main_window_layout.h"
#include "core/shell/product_identity.h"
#include "core/shell/website_layout.h"
#include "platform/qt_strings.h"
#include "platform/webengine_browser.h"
#include "ui/appearance.h"
#include "ui/nav_icons.h"
#include "ui/popup_window.h"
#include "ui/status_panels.h"

namespace boardcast {

namespace {

constexpr int px(int twips) { return twips / kTwipsPerPixel; }

QRect twipsRect(int left, int top, int width, int height) {
    return {px(left), px(top), px(width), px(height)};
}

}  // namespace

WebsiteWindow::WebsiteWindow(const std::string& address, QWidget* parent) : QMainWindow(parent) {
    using namespace website_design;
    setObjectName(QStringLiteral("frmWebsite"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(1024, 720);  // the size it returns to when un-maximised

    auto* area = new QWidget(this);
    setCentralWidget(area);
    browserFrame = new QGroupBox(QStringLiteral("Browser"), area);
    browserFrame->setObjectName(QStringLiteral("frmBrowser"));
    browserFrame->move(px(kFrameLeft), px(kFrameTop));

    browser_ = new WebEngineBrowser(browserFrame);
    browser_->setParent(this);
    QWebEngineView* view = browser_->view();
    view->setObjectName(QStringLiteral("WebBrowser1"));
    view->move(px(kBrowserLeft), px(kBrowserTop));

    auto* urlLabel = new QLabel(QStringLiteral("URL:"), browserFrame);
    urlLabel->setGeometry(twipsRect(120, kAddressTop, kAddressLeft - 150, kControlHeight));
    addressEdit = new QLineEdit(browserFrame);
    addressEdit->setObjectName(QStringLiteral("Text1"));
    addressEdit->setGeometry(twipsRect(kAddressLeft, kAddressTop, 3000, kControlHeight));
    const NavButtons nav = makeNavButtons(browserFrame, *browser_, QSize(px(kGoWidth), px(kControlHeight)),
                                          QSize(px(kNavSide), px(kNavSide)));
    goButton = nav.go;
    goButton->move(px(kAddressLeft + 3000 + 100), px(kAddressTop));
    int navLeft = kAddressLeft;
    for (QToolButton* button : {nav.back, nav.forward, nav.stop, nav.refresh}) {
        button->move(px(navLeft), px(kNavTop));
        navLeft += kNavStep;
    }
    connect(goButton, &QToolButton::clicked, this, &WebsiteWindow::openEnteredAddress);
    connect(addressEdit, &QLineEdit::returnPressed, this, &WebsiteWindow::openEnteredAddress);

    // The window's load.
    addStatusPanels(*this, panels_);
    setWindowTitle(toQString(productIdentity().webSiteText));
    setTopmost(*this, true);
    skinWindow(*this, {{browserFrame, QStringLiteral("SkinLabel1")}});
    browser_->setPopupFactory(popupWindows({}));
    browser_->setEvents(this);
    browser_->navigate(address);
    layoutWindow();
}

WebsiteWindow::~WebsiteWindow() {
    browser_->setEvents(nullptr);
}

void WebsiteWindow::openEnteredAddress() {
    browser_->navigate(toStdString(addressEdit->text()));
}

void WebsiteWindow::onStatusTextChange(const std::string& text) {
    panels_[0]->setText(toQString(text));
}

void WebsiteWindow::onProgressChange(int) {}

void WebsiteWindow::onDownloadBegin() {
    panels_[1]->setText(QStringLiteral("Opening ") + browser_->displayAddress());
}

void WebsiteWindow::onDownloadComplete() {
    const QString address = browser_->displayAddress();
    panels_[1]->setText(QStringLiteral("Completed ") + address);
    addressEdit->setText(address);
    setWindowTitle(toQString(browser_->locationName()));
}

void WebsiteWindow::onTitleChange(const std::string&) {}

// Pages that open windows get separate browser windows.
bool WebsiteWindow::onNewWindow() { return false; }

void WebsiteWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    layoutWindow();
}

void WebsiteWindow::closeEvent(QCloseEvent* event) {
    Q_EMIT closed();
    event->accept();
}

void WebsiteWindow::layoutWindow() {
    const QRect outer = frameGeometry();
    const WebsiteLayout l = layoutWebsiteWindow(outer.width() * kTwipsPerPixel,
                                                outer.height() * kTwipsPerPixel,
                                                statusBar()->height() * kTwipsPerPixel);
    for (QLabel* panel : panels_) panel->setFixedWidth(px(l.panelWidth));
    browserFrame->resize(px(l.frameWidth), px(l.frameHeight));
    addressEdit->resize(px(l.addressWidth), addressEdit->height());
    goButton->move(px(l.goLeft), goButton->y());
    browser_->view()->resize(px(l.browserWidth), px(l.browserHeight));
}

}  // namespace boardcast
