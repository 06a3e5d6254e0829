#include "ui/frm_website.h"

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

frmWebsite::frmWebsite(const std::string& address, QWidget* parent) : QMainWindow(parent) {
    using namespace website_design;
    setObjectName(QStringLiteral("frmWebsite"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(1024, 720);  // the size it returns to when un-maximised

    auto* area = new QWidget(this);
    setCentralWidget(area);
    frmBrowser = new QGroupBox(QStringLiteral("Browser"), area);
    frmBrowser->setObjectName(QStringLiteral("frmBrowser"));
    frmBrowser->move(px(kFrameLeft), px(kFrameTop));

    browser_ = new WebEngineBrowser(frmBrowser);
    browser_->setParent(this);
    QWebEngineView* view = browser_->view();
    view->setObjectName(QStringLiteral("WebBrowser1"));
    view->move(px(kBrowserLeft), px(kBrowserTop));

    auto* urlLabel = new QLabel(QStringLiteral("URL:"), frmBrowser);
    urlLabel->setGeometry(twipsRect(120, kAddressTop, kAddressLeft - 150, kControlHeight));
    Text1 = new QLineEdit(frmBrowser);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(twipsRect(kAddressLeft, kAddressTop, 3000, kControlHeight));
    const NavButtons nav = makeNavButtons(frmBrowser, *browser_, QSize(px(kGoWidth), px(kControlHeight)),
                                          QSize(px(kNavSide), px(kNavSide)));
    Command3 = nav.go;
    Command3->move(px(kAddressLeft + 3000 + 100), px(kAddressTop));
    int navLeft = kAddressLeft;
    for (QToolButton* button : {nav.back, nav.forward, nav.stop, nav.refresh}) {
        button->move(px(navLeft), px(kNavTop));
        navLeft += kNavStep;
    }
    connect(Command3, &QToolButton::clicked, this, &frmWebsite::openEnteredAddress);
    connect(Text1, &QLineEdit::returnPressed, this, &frmWebsite::openEnteredAddress);

    // The window's load.
    addStatusPanels(*this, panels_);
    setWindowTitle(toQString(productIdentity().webSiteText));
    setTopmost(*this, true);
    skinWindow(*this, {{frmBrowser, QStringLiteral("SkinLabel1")}});
    browser_->setPopupFactory(popupWindows({}));
    browser_->setEvents(this);
    browser_->navigate(address);
    layoutWindow();
}

frmWebsite::~frmWebsite() {
    browser_->setEvents(nullptr);
}

void frmWebsite::openEnteredAddress() {
    browser_->navigate(toStdString(Text1->text()));
}

void frmWebsite::onStatusTextChange(const std::string& text) {
    panels_[0]->setText(toQString(text));
}

void frmWebsite::onProgressChange(int) {}

void frmWebsite::onDownloadBegin() {
    panels_[1]->setText(QStringLiteral("Opening ") + browser_->displayAddress());
}

void frmWebsite::onDownloadComplete() {
    const QString address = browser_->displayAddress();
    panels_[1]->setText(QStringLiteral("Completed ") + address);
    Text1->setText(address);
    setWindowTitle(toQString(browser_->locationName()));
}

void frmWebsite::onTitleChange(const std::string&) {}

// Pages that open windows get separate browser windows.
bool frmWebsite::onNewWindow() { return false; }

void frmWebsite::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    layoutWindow();
}

void frmWebsite::closeEvent(QCloseEvent* event) {
    Q_EMIT closed();
    event->accept();
}

void frmWebsite::layoutWindow() {
    const QRect outer = frameGeometry();
    const WebsiteLayout l = layoutWebsiteWindow(outer.width() * kTwipsPerPixel,
                                                outer.height() * kTwipsPerPixel,
                                                statusBar()->height() * kTwipsPerPixel);
    for (QLabel* panel : panels_) panel->setFixedWidth(px(l.panelWidth));
    frmBrowser->resize(px(l.frameWidth), px(l.frameHeight));
    Text1->resize(px(l.addressWidth), Text1->height());
    Command3->move(px(l.goLeft), Command3->y());
    browser_->view()->resize(px(l.browserWidth), px(l.browserHeight));
}

}  // namespace boardcast
