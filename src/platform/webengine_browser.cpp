#include "platform/webengine_browser.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMetaObject>
#include <QPointer>
#include <QUrl>
#include <QVariant>
#include <QWebEngineHistory>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <memory>
#include <utility>
#include <vector>

#include "platform/qt_strings.h"
#include "platform/webengine_page.h"

namespace boardcast {

namespace {

constexpr QSize kPopupSize(1024, 768);

// Each script is a function expression; it is called with one array of arguments.
constexpr auto kReadBodyScript = R"JS(
(function () {
  var b = document.body;
  return b ? [b.outerHTML, b.innerHTML] : null;
})
)JS";

constexpr auto kSetFieldScript = R"JS(
(function (a) {
  try {
    // item() rather than [], so that a number never matches a control's name.
    var f = document.forms.item(a[0]);
    if (!f) return false;
    var e = f.elements.item(a[1]);
    if (!e || !('value' in e)) return false;
    e.value = a[2];
    e.dispatchEvent(new Event('input', {bubbles: true}));
    e.dispatchEvent(new Event('change', {bubbles: true}));
    return true;
  } catch (x) {
    return false;
  }
})
)JS";

constexpr auto kPasteScript = R"JS(
(function (a) {
  try {
    var t = a[0];
    // Follow the focus into frames of the same origin; others give no document.
    var e = document.activeElement;
    while (e && e.contentDocument && e.contentDocument.activeElement) {
      e = e.contentDocument.activeElement;
    }
    if (!e) return false;
    var textInput = e.tagName === 'INPUT' &&
        /^(text|search|url|tel|email|password|number)$/.test(e.type);
    if (e.tagName === 'TEXTAREA' || textInput) {
      if (e.disabled || e.readOnly) return false;
      // email and number inputs have no selection; the text goes at their end.
      var start = e.selectionStart;
      if (typeof start === 'number') {
        e.setRangeText(t, start, e.selectionEnd, 'end');
      } else {
        e.value += t;
      }
      e.dispatchEvent(new Event('input', {bubbles: true}));
      e.dispatchEvent(new Event('change', {bubbles: true}));
      return true;
    }
    if (e.isContentEditable) return e.ownerDocument.execCommand('insertText', false, t) === true;
    return false;
  } catch (x) {
    return false;
  }
})
)JS";

// A call of the script with the arguments as a JSON array literal. JSON is also JavaScript,
// so every text reaches the script as a string value and never as code.
QString scriptCall(const char* function, const QJsonArray& arguments) {
    QByteArray json = QJsonDocument(arguments).toJson(QJsonDocument::Compact);
    // JSON leaves the line and paragraph separators raw, but they end a line in JavaScript
    // before ES2019.
    json.replace("\xE2\x80\xA8", "\\u2028").replace("\xE2\x80\xA9", "\\u2029");
    return QString::fromUtf8(function).trimmed() + QLatin1Char('(') + QString::fromUtf8(json) +
           QLatin1Char(')');
}

// An address with a scheme goes to the page as given; "example.org" and "host:8080" are
// completed as an address bar would.
QUrl addressToUrl(const QString& address) {
    const QUrl url(address);
    const bool hostAndPort = QUrl(QStringLiteral("http://") + address).port() != -1;
    if (url.isValid() && !url.scheme().isEmpty() && !hostAndPort) return url;
    return QUrl::fromUserInput(address);
}

bool isBlank(const QUrl& url) {
    return url.isEmpty() || url == QUrl(QStringLiteral("about:blank"));
}

// Only a plain true counts as success.
bool isTrue(const QVariant& result) {
    return result.typeId() == QMetaType::Bool && result.toBool();
}

}  // namespace

struct WebEngineBrowser::Private {
    explicit Private(WebEngineBrowser* owner) : q(owner) {}

    void runScript(const QString& script, std::function<void(const QVariant&)> handle);
    void later(std::function<void()> work);
    QWebEnginePage* openPopup();

    WebEngineBrowser* q;
    QPointer<QWebEngineView> view;
    QPointer<WebEnginePage> page;  // a child of view
    BrowserEvents* events = nullptr;
    bool loading = false;  // between loadStarted and loadFinished
    // Continuations hold it weakly; it goes first in the destructor, so that no result is
    // delivered from then on, not even one the engine hands back while the page is torn down.
    std::shared_ptr<const bool> alive = std::make_shared<const bool>(true);
    std::vector<QPointer<QWebEngineView>> popups;
};

WebEngineBrowser::WebEngineBrowser(QWidget* viewParent) : d_(std::make_unique<Private>(this)) {
    auto* view = new QWebEngineView(viewParent);
    view->setObjectName(QStringLiteral("WebBrowser1"));
    auto* page = new WebEnginePage(view);
    view->setPage(page);
    d_->view = view;
    d_->page = page;

    QObject::connect(page, &QWebEnginePage::loadStarted, this, [this] {
        d_->loading = true;
        if (d_->events) d_->events->onDownloadBegin();
    });
    QObject::connect(page, &QWebEnginePage::loadProgress, this, [this](int percent) {
        if (d_->events) d_->events->onProgressChange(percent);
    });
    QObject::connect(page, &QWebEnginePage::loadFinished, this, [this] {
        d_->loading = false;
        if (d_->events) d_->events->onDownloadComplete();
    });
    QObject::connect(page, &QWebEnginePage::titleChanged, this, [this](const QString& title) {
        if (d_->events) d_->events->onTitleChange(toStdString(title));
    });
    QObject::connect(page, &QWebEnginePage::linkHovered, this, [this](const QString& url) {
        if (d_->events) d_->events->onStatusTextChange(toStdString(url));
    });
    page->setWindowFactory([this] { return d_->openPopup(); });
}

WebEngineBrowser::~WebEngineBrowser() {
    d_->alive.reset();
    for (const QPointer<QWebEngineView>& popup : d_->popups) delete popup.data();
    if (d_->page) {
        // The view may outlive us in its parent; it keeps its page, but not our handlers.
        d_->page->setWindowFactory({});
        d_->page->disconnect(this);
    }
    if (d_->view && !d_->view->parent()) delete d_->view.data();
}

QWebEngineView* WebEngineBrowser::view() const {
    return d_->view;
}

void WebEngineBrowser::setEvents(BrowserEvents* events) {
    d_->events = events;
}

void WebEngineBrowser::navigate(const std::string& address) {
    if (d_->page) d_->page->load(addressToUrl(toQString(address)));
}

void WebEngineBrowser::goBack() {
    if (d_->page && d_->page->history()->canGoBack()) d_->page->triggerAction(QWebEnginePage::Back);
}

void WebEngineBrowser::goForward() {
    if (d_->page && d_->page->history()->canGoForward()) {
        d_->page->triggerAction(QWebEnginePage::Forward);
    }
}

void WebEngineBrowser::stop() {
    if (d_->page) d_->page->triggerAction(QWebEnginePage::Stop);
}

void WebEngineBrowser::refresh() {
    if (d_->page) d_->page->triggerAction(QWebEnginePage::Reload);
}

std::string WebEngineBrowser::locationUrl() const {
    if (!d_->page) return {};
    const QUrl url = d_->page->url();
    return url.isEmpty() ? std::string() : toStdString(url.toString());
}

std::string WebEngineBrowser::locationName() const {
    return d_->page ? toStdString(d_->page->title()) : std::string();
}

void WebEngineBrowser::readBody(std::function<void(std::optional<BodyHtml>)> done) {
    if (!d_->page || d_->loading || isBlank(d_->page->url())) {
        d_->later([done = std::move(done)] { done(std::nullopt); });
        return;
    }
    d_->runScript(
        scriptCall(kReadBodyScript, {}), [done = std::move(done)](const QVariant& result) {
            const QVariantList parts = result.toList();
            if (result.typeId() != QMetaType::QVariantList || parts.size() != 2) {
                done(std::nullopt);
                return;
            }
            done(BodyHtml{toStdString(parts[0].toString()), toStdString(parts[1].toString())});
        });
}

void WebEngineBrowser::setFormFieldValue(int form, int field, const std::string& text,
                                         std::function<void(bool written)> done) {
    if (!d_->page || form < 0 || field < 0) {
        d_->later([done = std::move(done)] { done(false); });
        return;
    }
    d_->runScript(scriptCall(kSetFieldScript, {form, field, toQString(text)}),
                  [done = std::move(done)](const QVariant& result) { done(isTrue(result)); });
}

void WebEngineBrowser::pasteText(const std::string& text, std::function<void(bool pasted)> done) {
    if (!d_->page) {
        d_->later([done = std::move(done)] { done(false); });
        return;
    }
    d_->runScript(scriptCall(kPasteScript, {toQString(text)}),
                  [done = std::move(done)](const QVariant& result) { done(isTrue(result)); });
}

void WebEngineBrowser::Private::runScript(const QString& script,
                                          std::function<void(const QVariant&)> handle) {
    // A result comes to nothing when the browser or its page went first (the view may go with
    // its parent widget while we stay).
    std::weak_ptr<const void> browserAlive = alive, pageAlive = page->lifetime();
    page->runJavaScript(
        script, QWebEngineScript::ApplicationWorld,
        [browserAlive, pageAlive, handle = std::move(handle)](const QVariant& result) {
            if (!browserAlive.expired() && !pageAlive.expired()) handle(result);
        });
}

void WebEngineBrowser::Private::later(std::function<void()> work) {
    // Continuations never run inside the call that takes them.
    QMetaObject::invokeMethod(q, std::move(work), Qt::QueuedConnection);
}

QWebEnginePage* WebEngineBrowser::Private::openPopup() {
    if (events && events->onNewWindow()) return nullptr;

    auto* popup = new QWebEngineView;
    popup->setAttribute(Qt::WA_DeleteOnClose);
    auto* popupPage = new WebEnginePage(popup);
    popup->setPage(popupPage);
    popupPage->setWindowFactory([this] { return openPopup(); });
    QObject::connect(popupPage, &QWebEnginePage::titleChanged, popup, &QWidget::setWindowTitle);
    QObject::connect(popupPage, &QWebEnginePage::windowCloseRequested, popup, &QWidget::close);
    QObject::connect(popupPage, &QWebEnginePage::geometryChangeRequested, popup,
                     [popup](const QRect& geometry) { popup->setGeometry(geometry); });
    popup->resize(kPopupSize);
    popup->show();

    std::erase_if(popups, [](const QPointer<QWebEngineView>& p) { return p.isNull(); });
    popups.emplace_back(popup);
    Q_EMIT q->popupOpened(popup);
    return popupPage;
}

}  // namespace boardcast
