#include "ui/popup_window.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QWebEnginePage>
#include <QWebEngineView>

#include "platform/qt_strings.h"
#include "ui/nav_icons.h"
#include "ui/status_panels.h"

namespace boardcast {

namespace {

constexpr QSize kDefaultSize(900, 700);
constexpr QSize kGoButtonSize(53, 21);
constexpr int kNavButtonSide = 29;

}  // namespace

PopupWindow::PopupWindow(QWebEngineProfile* profile, std::function<bool()> refuse)
    : refuse_(std::move(refuse)) {
    setObjectName(QStringLiteral("frmPopup"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* area = new QWidget(this);
    setCentralWidget(area);

    browser_ = new WebEngineBrowser(area, profile);
    browser_->setParent(this);
    browser_->setPopupFactory(popupWindows(refuse_));
    QWebEngineView* view = browser_->view();

    auto* urlLabel = new QLabel(QStringLiteral("URL:"), area);
    addressEdit = new QLineEdit(area);
    addressEdit->setObjectName(QStringLiteral("Text1"));
    const NavButtons nav = makeNavButtons(area, *browser_, kGoButtonSize,
                                          QSize(kNavButtonSide, kNavButtonSide));
    auto* navRow = new QHBoxLayout;
    for (QToolButton* button : {nav.back, nav.forward, nav.stop, nav.refresh}) {
        navRow->addWidget(button);
    }
    navRow->addStretch();
    auto* grid = new QGridLayout(area);
    grid->addWidget(urlLabel, 0, 0);
    grid->addWidget(addressEdit, 0, 1);
    grid->addWidget(nav.go, 0, 2);
    grid->addLayout(navRow, 1, 1, 1, 2);
    grid->addWidget(view, 2, 0, 1, 3);
    grid->setRowStretch(2, 1);
    grid->setColumnStretch(1, 1);
    addStatusPanels(*this, panels_);

    auto open = [this] { browser_->navigate(toStdString(addressEdit->text())); };
    connect(nav.go, &QToolButton::clicked, this, open);
    connect(addressEdit, &QLineEdit::returnPressed, this, open);
    QWebEnginePage* page = view->page();
    connect(page, &QWebEnginePage::windowCloseRequested, this, &QWidget::close);
    connect(page, &QWebEnginePage::geometryChangeRequested, this, [this](const QRect& geometry) {
        // The page asks for the size of its content; the controls come on top of it.
        resize(geometry.size() + (size() - browser_->view()->size()));
    });
    browser_->setEvents(this);
    resize(kDefaultSize);
}

PopupWindow::~PopupWindow() {
    browser_->setEvents(nullptr);
}

void PopupWindow::onStatusTextChange(const std::string& text) {
    panels_[0]->setText(toQString(text));
}

void PopupWindow::onProgressChange(int) {}

void PopupWindow::onDownloadBegin() {
    panels_[1]->setText(QStringLiteral("Opening ") + browser_->displayAddress());
}

void PopupWindow::onDownloadComplete() {
    panels_[1]->setText(QStringLiteral("Completed ") + browser_->displayAddress());
    addressEdit->setText(browser_->displayAddress());
}

void PopupWindow::onTitleChange(const std::string& title) {
    setWindowTitle(toQString(title));
    addressEdit->setText(browser_->displayAddress());
}

bool PopupWindow::onNewWindow() {
    return refuse_ && refuse_();
}

WebEngineBrowser::PopupFactory popupWindows(std::function<bool()> refuse) {
    return [refuse = std::move(refuse)](QWebEngineProfile* profile) -> WebEngineBrowser* {
        auto* window = new PopupWindow(profile, refuse);
        window->show();
        return &window->webEngine();
    };
}

}  // namespace boardcast
