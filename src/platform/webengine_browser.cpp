#include "platform/webengine_browser.h"

#include <QByteArray>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>
#include <QMetaObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QUuid>
#include <QVariant>
#include <QWebChannel>
#include <QWebEngineHistory>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

#include <iterator>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "platform/browser_profile.h"
#include "platform/qt_strings.h"
#include "platform/webengine_page.h"
#include "posting/rendered_message.h"

// The resource initialiser of a static library must be named from the global namespace.
static void initPageScripts() {
    Q_INIT_RESOURCE(scripts);
}

namespace boardcast {

namespace {

constexpr QSize kPopupSize(1024, 768);
// Windows that pages may have open at once; further ones are refused.
constexpr size_t kMostPopups = 20;

// Our page scripts, built in as resources: each is a function expression that is called
// with one array of arguments.
QString pageScript(const QString& name) {
    static QHash<QString, QString> loaded;
    auto it = loaded.find(name);
    if (it == loaded.end()) {
        QFile file(QStringLiteral(":/scripts/") + name);
        // Without its scripts the browser could neither read nor fill a page: a build that
        // lost one must not run as if nothing were wrong.
        if (!file.open(QIODevice::ReadOnly)) {
            qFatal("The page script %s is not built into the program (%s).", qPrintable(name),
                   qPrintable(file.errorString()));
        }
        it = loaded.insert(name, QString::fromUtf8(file.readAll()).trimmed());
    }
    return *it;
}

// A call of the script with the arguments as a JSON array literal. JSON is also JavaScript,
// so every text reaches the script as a string value and never as code.
QString scriptCall(const QString& function, const QJsonArray& arguments) {
    QByteArray json = QJsonDocument(arguments).toJson(QJsonDocument::Compact);
    // JSON leaves the line and paragraph separators raw, but they end a line in JavaScript
    // before ES2019.
    json.replace("\xE2\x80\xA8", "\\u2028").replace("\xE2\x80\xA9", "\\u2029");
    return function + QLatin1Char('(') + QString::fromUtf8(json) + QLatin1Char(')');
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

// The web channel's own script, which our script world needs to reach the channel.
const QString& webChannelScript() {
    static const QString script = [] {
        QFile file(QStringLiteral(":/qtwebchannel/qwebchannel.js"));
        if (!file.open(QIODevice::ReadOnly)) {
            qFatal("The web engine has no qwebchannel.js (%s).", qPrintable(file.errorString()));
        }
        return QString::fromUtf8(file.readAll());
    }();
    return script;
}

}  // namespace

// The one object our script world sees through the web channel. The page's own scripts run in
// another world and cannot reach it; a report also carries the nonce of the watch it answers.
class PageReports final : public QObject {
    Q_OBJECT

public:
    explicit PageReports(WebEngineBrowser* browser) : QObject(browser), browser_(browser) {}

    Q_INVOKABLE void postSeen(const QString& nonce, const QString& canonical);

private:
    WebEngineBrowser* browser_;
};

struct WebEngineBrowser::Private {
    explicit Private(WebEngineBrowser* owner) : q(owner) {}

    void runScript(const QString& script, std::function<void(const QVariant&)> handle,
                   quint32 world = QWebEngineScript::ApplicationWorld);
    void later(std::function<void()> work);
    QWebEnginePage* openPopup();
    // One write into a page, from the first script to the read-back of the editor.
    struct EditorWrite {
        MessageText message;
        QString nonce;          // marks the page's elements of this write
        QString kind;           // an editor driven through its own objects, else empty
        QString read;           // how to read it back: "api", "dom", or empty for a plain field
        bool textWent = false;  // the converted text went in, not the rendered message
        int serial = 0;         // the newest write has writeSerial
        InsertResult result;    // as the last reading found it
        std::function<void(InsertResult)> done;
    };
    void insertMessage(const QString& mode, const FieldTarget& target, const MessageText& message,
                       std::function<void(InsertResult)> done);
    void wrote(const std::shared_ptr<EditorWrite>& write, const QVariantMap& answer);
    void readBackLater(const std::shared_ptr<EditorWrite>& write, int attempt);
    void readBack(const std::shared_ptr<EditorWrite>& write,
                  std::function<void(std::optional<ReadBack>)> done);

    WebEngineBrowser* q;
    QPointer<QWebEngineView> view;
    QPointer<WebEnginePage> page;  // a child of view
    BrowserEvents* events = nullptr;
    bool loading = false;  // between loadStarted and loadFinished
    // Continuations hold it weakly; it goes first in the destructor, so that no result is
    // delivered from then on, not even one the engine hands back while the page is torn down.
    std::shared_ptr<const bool> alive = std::make_shared<const bool>(true);
    std::vector<QPointer<QWidget>> popups;  // their windows, which go with us
    int writeSerial = 0;                    // counts the writes into pages
    PopupFactory popupFactory;
    // The page watch of watchForText: its nonce and what to call once.
    QString watchNonce;
    std::function<void(std::string)> watchSeen;
};

void PageReports::postSeen(const QString& nonce, const QString& canonical) {
    auto& d = *browser_->d_;
    if (nonce.isEmpty() || nonce != d.watchNonce || !d.watchSeen) return;
    d.watchNonce.clear();
    auto seen = std::move(d.watchSeen);
    d.watchSeen = nullptr;
    seen(toStdString(canonical));
}

WebEngineBrowser::WebEngineBrowser(QWidget* viewParent, QWebEngineProfile* profile)
    : d_(std::make_unique<Private>(this)) {
    initPageScripts();
    if (!profile) profile = BrowserProfile::active();
    auto* view = new QWebEngineView(viewParent);
    view->setObjectName(QStringLiteral("WebBrowser1"));
    auto* page = new WebEnginePage(profile, view);
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

    // Every page keeps, in our script world, which message box was shown or focused last.
    QWebEngineScript tracker;
    tracker.setName(QStringLiteral("boardcast-box-tracker"));
    tracker.setSourceCode(pageScript(QStringLiteral("box_tracker.js")));
    tracker.setInjectionPoint(QWebEngineScript::DocumentReady);
    tracker.setWorldId(QWebEngineScript::ApplicationWorld);
    tracker.setRunsOnSubFrames(false);
    page->scripts().insert(tracker);

    auto* channel = new QWebChannel(page);
    channel->registerObject(QStringLiteral("boardcast"), new PageReports(this));
    page->setWebChannel(channel, QWebEngineScript::ApplicationWorld);
}

WebEngineBrowser::~WebEngineBrowser() {
    d_->alive.reset();
    for (const QPointer<QWidget>& popup : d_->popups) delete popup.data();
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

QWebEngineProfile* WebEngineBrowser::profile() const {
    return d_->page ? d_->page->profile() : nullptr;
}

QString WebEngineBrowser::displayAddress() const {
    return d_->page ? d_->page->url().toString() : QString();
}

void WebEngineBrowser::setPopupFactory(PopupFactory factory) {
    d_->popupFactory = std::move(factory);
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
    // Encoded as it goes over the wire, so that it can be stored and fetched again as it is.
    return toStdString(QString::fromLatin1(d_->page->url().toEncoded()));
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
        scriptCall(pageScript(QStringLiteral("read_body.js")), {}),
        [done = std::move(done)](const QVariant& result) {
            const QVariantList parts = result.toList();
            if (result.typeId() != QMetaType::QVariantList || parts.size() != 4) {
                done(std::nullopt);
                return;
            }
            done(BodyHtml{toStdString(parts[0].toString()), toStdString(parts[1].toString()),
                          toStdString(parts[2].toString()), toStdString(parts[3].toString())});
        });
}

void WebEngineBrowser::setFormFieldValue(const FieldTarget& target, const MessageText& message,
                                         std::function<void(InsertResult)> done) {
    if (target.form < 0 || target.field < 0) {
        d_->later([done = std::move(done)] { done({}); });
        return;
    }
    d_->insertMessage(QStringLiteral("field"), target, message, std::move(done));
}

void WebEngineBrowser::insertIntoComposer(const MessageText& message,
                                          std::function<void(InsertResult)> done) {
    d_->insertMessage(QStringLiteral("composer"), {}, message, std::move(done));
}

void WebEngineBrowser::inspectMessageBox(const FieldTarget& target,
                                         std::function<void(MessageBoxFacts)> done) {
    if (!d_->page) {
        d_->later([done = std::move(done)] { done({}); });
        return;
    }
    const bool composer = target.form < 0;
    const QJsonArray arguments{composer ? QStringLiteral("composer") : QStringLiteral("field"),
                               target.form,
                               target.field,
                               target.textArea,
                               QString(),
                               QString(),
                               QString(),
                               true};
    d_->runScript(scriptCall(pageScript(QStringLiteral("insert_message.js")), arguments),
                  [done = std::move(done)](const QVariant& value) {
                      const QVariantMap facts = value.toMap();
                      done({isTrue(facts.value(QStringLiteral("found"))),
                            isTrue(facts.value(QStringLiteral("markdown")))});
                  });
}

void WebEngineBrowser::watchForText(const std::string& text, int seconds,
                                    std::function<void(std::string canonical)> seen) {
    stopWatchingForText();
    if (!d_->page || text.empty() || seconds <= 0) return;
    d_->watchNonce = QUuid::createUuid().toString(QUuid::WithoutBraces);
    d_->watchSeen = std::move(seen);
    const QJsonArray arguments{toQString(text), d_->watchNonce, seconds * 1000};
    d_->runScript(webChannelScript() + QLatin1Char(';') +
                      scriptCall(pageScript(QStringLiteral("watch_text.js")), arguments),
                  [](const QVariant&) {});
}

void WebEngineBrowser::stopWatchingForText() {
    if (d_->watchNonce.isEmpty()) return;
    d_->watchNonce.clear();
    d_->watchSeen = nullptr;
    if (d_->page) {
        d_->runScript(
            scriptCall(pageScript(QStringLiteral("watch_text.js")), {QString(), QString(), 0}),
            [](const QVariant&) {});
    }
}

void WebEngineBrowser::pasteText(const std::string& text, std::function<void(bool pasted)> done) {
    if (!d_->page) {
        d_->later([done = std::move(done)] { done(false); });
        return;
    }
    d_->runScript(scriptCall(pageScript(QStringLiteral("paste_text.js")), {toQString(text)}),
                  [done = std::move(done)](const QVariant& result) { done(isTrue(result)); });
}

void WebEngineBrowser::Private::insertMessage(const QString& mode, const FieldTarget& target,
                                              const MessageText& message,
                                              std::function<void(InsertResult)> done) {
    if (!page) {
        later([done = std::move(done)] { done({}); });
        return;
    }
    auto write = std::make_shared<EditorWrite>();
    write->message = message;
    write->nonce = QUuid::createUuid().toString(QUuid::WithoutBraces);
    write->serial = ++writeSerial;
    write->done = std::move(done);
    const QString text = toQString(message.text);
    const QJsonArray arguments{mode,         target.form,
                               target.field, target.textArea,
                               text,         toQString(message.rendered.html),
                               write->nonce};
    runScript(scriptCall(pageScript(QStringLiteral("insert_message.js")), arguments),
              [this, write, text](const QVariant& value) {
                  const QVariantMap found = value.toMap();
                  write->kind = found.value(QStringLiteral("editor")).toString();
                  if (write->kind.isEmpty()) return wrote(write, found);
                  // This editor keeps the message in its own objects, which only the page's
                  // world can reach: one fixed script of ours, the texts as data.
                  const QJsonArray editorArguments{QStringLiteral("write"), write->nonce,
                                                   write->kind, text,
                                                   found.value(QStringLiteral("html")).toString()};
                  runScript(
                      scriptCall(pageScript(QStringLiteral("editor_api.js")), editorArguments),
                      [this, write](const QVariant& result) { wrote(write, result.toMap()); },
                      QWebEngineScript::MainWorld);
              });
}

void WebEngineBrowser::Private::wrote(const std::shared_ptr<EditorWrite>& write,
                                      const QVariantMap& answer) {
    write->result.written = isTrue(answer.value(QStringLiteral("written")));
    write->result.how = toStdString(answer.value(QStringLiteral("how")).toString());
    write->textWent = answer.value(QStringLiteral("inserted")).toString() == u"text";
    write->read = answer.value(QStringLiteral("read")).toString();
    // A plain field holds what was set; an editor holds what it made of it, which is read
    // once it has had a moment to settle.
    if (!write->result.written || write->read.isEmpty()) return write->done(write->result);
    readBackLater(write, 0);
}

void WebEngineBrowser::Private::readBackLater(const std::shared_ptr<EditorWrite>& write,
                                              int attempt) {
    // Editors may take a moment to settle (CKEditor 4 sets its data in the background, an
    // editor may undo a change it did not make itself): the editor is read again for about
    // three seconds before it is taken to differ.
    static constexpr int kDelaysMs[] = {100, 100, 200, 400, 800, 1500};
    if (attempt >= int(std::size(kDelaysMs)) || write->serial != writeSerial) {
        // Out of tries, or a newer write took the page's marks: the last finding stands.
        return write->done(write->result);
    }
    QTimer::singleShot(kDelaysMs[attempt], q, [this, write, attempt] {
        if (write->serial != writeSerial || !page) return write->done(write->result);
        readBack(write, [this, write, attempt](std::optional<ReadBack> read) {
            // An editor that can no longer be read (the page moved on, the editor rebuilt
            // its box) keeps what the last reading found.
            if (!read) return write->done(write->result);
            InsertResult result{write->result.written, write->result.how};
            findWriteLosses(write->message, !write->textWent, *read, result);
            write->result = std::move(result);
            if (!write->result.differs()) return write->done(write->result);
            readBackLater(write, attempt + 1);
        });
    });
}

void WebEngineBrowser::Private::readBack(const std::shared_ptr<EditorWrite>& write,
                                         std::function<void(std::optional<ReadBack>)> done) {
    // An editor's own value larger than this is no message of ours: it is not taken apart.
    constexpr qsizetype kLongestValue = 4 * 1024 * 1024;
    auto fromRendered = [done](const QVariant& value) {
        const QVariantMap map = value.toMap();
        if (map.isEmpty()) return done(std::nullopt);
        ReadBack read{toStdString(map.value(QStringLiteral("text")).toString())};
        for (const QVariant& target : map.value(QStringLiteral("targets")).toList()) {
            read.targets.push_back(toStdString(target.toString()));
        }
        done(std::move(read));
    };
    if (write->read != u"api") {
        runScript(scriptCall(pageScript(QStringLiteral("read_back.js")),
                             {write->nonce, QJsonValue::Null}),
                  fromRendered);
        return;
    }
    runScript(
        scriptCall(pageScript(QStringLiteral("editor_api.js")),
                   {QStringLiteral("read"), write->nonce, write->kind}),
        [this, write, done, fromRendered](const QVariant& value) {
            const QVariantMap map = value.toMap();
            const QString content = map.value(QStringLiteral("value")).toString();
            if (map.isEmpty() || content.size() > kLongestValue || !page) return done(std::nullopt);
            if (!isTrue(map.value(QStringLiteral("html")))) {
                return done(ReadBack{toStdString(content), {}, true});
            }
            // The editor's HTML is taken apart in our own world, out of the page's reach.
            runScript(
                scriptCall(pageScript(QStringLiteral("read_back.js")), {write->nonce, content}),
                fromRendered);
        },
        QWebEngineScript::MainWorld);
}

void WebEngineBrowser::Private::runScript(const QString& script,
                                          std::function<void(const QVariant&)> handle,
                                          quint32 world) {
    // A result comes to nothing when the browser or its page went first (the view may go with
    // its parent widget while we stay).
    std::weak_ptr<const void> browserAlive = alive, pageAlive = page->lifetime();
    page->runJavaScript(
        script, world,
        [browserAlive, pageAlive, handle = std::move(handle)](const QVariant& result) {
            if (!browserAlive.expired() && !pageAlive.expired()) handle(result);
        });
}

void WebEngineBrowser::Private::later(std::function<void()> work) {
    // Continuations never run inside the call that takes them.
    QMetaObject::invokeMethod(q, std::move(work), Qt::QueuedConnection);
}

QWebEnginePage* WebEngineBrowser::Private::openPopup() {
    // Every page's windows count, those that windows opened too: a page that opens windows in a
    // loop, or from each window it opened, stops at the limit.
    static std::vector<QPointer<QWidget>> allPopups;
    std::erase_if(allPopups, [](const QPointer<QWidget>& p) { return p.isNull(); });
    auto refuse = [this](const char* why) -> QWebEnginePage* {
        if (events) events->onStatusTextChange(std::string("Pop-up window refused: ") + why);
        return nullptr;
    };
    if (events && events->onNewWindow()) return refuse("No Popups is ticked.");
    if (allPopups.size() >= kMostPopups) return refuse("too many windows are open.");
    QWebEngineProfile* profile = page ? page->profile() : nullptr;
    if (popupFactory) {
        WebEngineBrowser* shown = popupFactory(profile);
        if (!shown || !shown->d_->page) return refuse("it could not be shown.");
        std::erase_if(popups, [](const QPointer<QWidget>& p) { return p.isNull(); });
        popups.emplace_back(shown->view()->window());
        allPopups.emplace_back(shown->view()->window());
        Q_EMIT q->popupOpened(shown->view());
        return shown->d_->page;
    }

    auto* popup = new QWebEngineView;
    popup->setAttribute(Qt::WA_DeleteOnClose);
    auto* popupPage = new WebEnginePage(profile, popup);
    popup->setPage(popupPage);
    popupPage->setWindowFactory([this] { return openPopup(); });
    QObject::connect(popupPage, &QWebEnginePage::titleChanged, popup, &QWidget::setWindowTitle);
    QObject::connect(popupPage, &QWebEnginePage::windowCloseRequested, popup, &QWidget::close);
    QObject::connect(popupPage, &QWebEnginePage::geometryChangeRequested, popup,
                     [popup](const QRect& geometry) { popup->setGeometry(geometry); });
    popup->resize(kPopupSize);
    popup->show();

    std::erase_if(popups, [](const QPointer<QWidget>& p) { return p.isNull(); });
    popups.emplace_back(popup);
    allPopups.emplace_back(popup);
    Q_EMIT q->popupOpened(popup);
    return popupPage;
}

}  // namespace boardcast

#include "webengine_browser.moc"
