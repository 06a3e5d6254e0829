// The WebEngine browser against the real engine: pages come from setHtml or from a small
// HTTP server on 127.0.0.1, and our calls are checked by reading the page back.

#include <QHash>
#include <QHostAddress>
#include <QPointer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QWidget>

#include <memory>
#include <optional>

#include "platform/qt_strings.h"
#include "platform/webengine_browser.h"

using namespace boardcast;
using namespace Qt::StringLiterals;

// Failing comparisons of our std::string results show the bytes.
template <>
char* QTest::toString(const std::string& text) {
    return QTest::toPrettyCString(text.data(), qsizetype(text.size()));
}

namespace {

const QUrl kBase(QStringLiteral("http://127.0.0.1/"));
constexpr int kTimeoutMs = 15000;
constexpr int kQuietMs = 1000;  // how long to watch for something that must not happen

struct Events final : BrowserEvents {
    void onStatusTextChange(const std::string& text) override { statusTexts.push_back(text); }
    void onProgressChange(int percent) override { progress.push_back(percent); }
    void onDownloadBegin() override { ++begins; }
    void onDownloadComplete() override { ++completes; }
    void onTitleChange(const std::string& title) override { titles.push_back(title); }
    bool onNewWindow() override {
        ++newWindowRequests;
        return refuseNewWindows;
    }

    std::vector<std::string> statusTexts, titles;
    std::vector<int> progress;
    int begins = 0, completes = 0, newWindowRequests = 0;
    bool refuseNewWindows = false;
};

// Serves /a, /b, /c and /popup, each a page titled after its path. /stall sends its headers
// and the start of a page, then nothing until release().
class PageServer final : public QObject {
public:
    PageServer() {
        QObject::connect(&server_, &QTcpServer::newConnection, this, &PageServer::accept);
        server_.listen(QHostAddress::LocalHost, 0);
    }
    QUrl url(const QString& path) const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path));
    }
    std::string address(const QString& path) const { return toStdString(url(path).toString()); }
    quint16 port() const { return server_.serverPort(); }
    int requestsFor(const QByteArray& path) const { return int(requests_.count(path)); }
    void release() {
        for (const QPointer<QTcpSocket>& socket : stalled_) {
            if (!socket) continue;
            socket->write("<p id=rest>rest</p></body></html>");
            socket->disconnectFromHost();
        }
        stalled_.clear();
    }

private:
    void accept() {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::readyRead, this,
                             [this, socket] { answer(socket); });
        }
    }
    void answer(QTcpSocket* socket) {
        QByteArray& request = pending_[socket];
        request += socket->readAll();
        if (!request.contains("\r\n\r\n")) return;
        const QByteArray path = request.split(' ').value(1);
        pending_.remove(socket);
        requests_.append(path);
        const QByteArray head =
            "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n"
            "Connection: close\r\n\r\n";
        if (path == "/stall") {
            socket->write(head + "<html><body><p id=partial>partial</p>" + QByteArray(8192, ' '));
            stalled_.append(socket);
            return;
        }
        const bool known = path == "/a" || path == "/b" || path == "/c" || path == "/popup";
        socket->write(known ? head + "<html><head><title>" + path.mid(1) + "</title></head><body>" +
                                  path + "</body></html>"
                            : QByteArray("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n"));
        socket->disconnectFromHost();
    }

    QTcpServer server_;
    QHash<QTcpSocket*, QByteArray> pending_;
    QList<QByteArray> requests_;
    QList<QPointer<QTcpSocket>> stalled_;
};

// Runs an asynchronous call of the browser and waits for its continuation.
template <typename T, typename Call>
std::optional<T> await(Call call) {
    auto result = std::make_shared<std::optional<T>>();
    call([result](T value) { *result = std::move(value); });
    // On a timeout the empty result tells the caller.
    static_cast<void>(QTest::qWaitFor([&] { return result->has_value(); }, kTimeoutMs));
    return *result;
}

// Evaluates a script in the page's own world, as the page's scripts see it.
QVariant evalInPage(QWebEngineView* view, const QString& script) {
    auto result = std::make_shared<std::optional<QVariant>>();
    view->page()->runJavaScript(script, [result](const QVariant& v) { *result = v; });
    static_cast<void>(QTest::qWaitFor([&] { return result->has_value(); }, kTimeoutMs));
    return result->value_or(QVariant());
}

bool loadHtml(QWebEngineView* view, const QString& html) {
    QSignalSpy finished(view->page(), &QWebEnginePage::loadFinished);
    view->setHtml(html, kBase);
    return finished.wait(kTimeoutMs) && finished.first().first().toBool();
}

const QString kFormsPage = QStringLiteral(R"(<!doctype html><body>
<form><input id=a0 value=a0></form>
<form>
  <input type=hidden id=h value=h0><input id=t value=t0>
  <fieldset id=fs><input type=radio name=r id=r1 value=r1><input type=radio name=r id=r2></fieldset>
  <textarea id=m>m0</textarea><input type=checkbox id=c value=c0>
  <select id=s><option>one</option><option>two</option></select>
  <input type=image id=img alt=img><input type=submit id=send value=Send>
  <button id=go value=g0>Go</button><object id=obj></object>
</form>
<script>
  window.seen = [];
  for (const type of ['input', 'change']) {
    document.addEventListener(type, e => seen.push(type + ':' + e.target.id + ':' + e.target.value));
  }
</script>)");

// Every control of the forms page as "id=value", in document order.
QStringList formValues(QWebEngineView* view) {
    return evalInPage(view,
                      QStringLiteral(
                          "Array.from(document.querySelectorAll('input,textarea,select,button'),"
                          " e => e.id + '=' + e.value)"))
        .toStringList();
}

const QString kPastePage = QStringLiteral(R"(<!doctype html><body>
<input id=a value="hello world"><textarea id=b>line</textarea><input id=e type=email value="me@">
<div id=d contenteditable>edit</div><input id=k type=checkbox><input id=r readonly value=ro>
<iframe id=f srcdoc="<input id=fi value=in>"></iframe>)");

QString pasteValues(QWebEngineView* view) {
    return evalInPage(
               view, QStringLiteral("[a.value, b.value, e.value, d.textContent, k.checked, r.value,"
                                    " document.getElementById('f').contentDocument"
                                    ".getElementById('fi').value].join('|')"))
        .toString();
}

}  // namespace

class WebEngineBrowserTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        server_ = std::make_unique<PageServer>();
        browser_ = std::make_unique<WebEngineBrowser>();
        browser_->setEvents(&events_);
        view()->resize(800, 600);
        view()->show();
        QVERIFY(QTest::qWaitForWindowExposed(view()));
    }
    void cleanup() {
        browser_.reset();
        server_.reset();
        events_ = Events{};
    }

    // The field index counts the form's input and textarea elements only, as the page scans
    // do; a field of another kind than the scans found is not written.
    void setFormFieldValueByPosition_data() {
        QTest::addColumn<int>("form");
        QTest::addColumn<int>("field");
        QTest::addColumn<bool>("textArea");
        QTest::addColumn<bool>("written");
        QTest::addColumn<QString>("changed");  // the id=value that differs afterwards
        QTest::newRow("first form") << 0 << 0 << false << true << u"a0=x"_s;
        QTest::newRow("hidden") << 1 << 0 << false << true << u"h=x"_s;
        QTest::newRow("text") << 1 << 1 << false << true << u"t=x"_s;
        QTest::newRow("fieldset is not counted") << 1 << 3 << false << true << u"r2=x"_s;
        QTest::newRow("textarea") << 1 << 4 << true << true << u"m=x"_s;
        QTest::newRow("input where a textarea was found") << 1 << 1 << true << false << u""_s;
        QTest::newRow("textarea where an input was found") << 1 << 4 << false << false << u""_s;
        QTest::newRow("checkbox") << 1 << 5 << false << true << u"c=x"_s;
        QTest::newRow("select and button are not counted")
            << 1 << 7 << false << true << u"send=x"_s;
        QTest::newRow("past the last control") << 1 << 8 << false << false << u""_s;
        QTest::newRow("past the last form") << 2 << 0 << true << false << u""_s;
        QTest::newRow("negative form") << -1 << 0 << true << false << u""_s;
        QTest::newRow("negative field") << 1 << -1 << true << false << u""_s;
    }
    void setFormFieldValueByPosition() {
        QFETCH(int, form);
        QFETCH(int, field);
        QFETCH(bool, textArea);
        QFETCH(bool, written);
        QFETCH(QString, changed);
        QVERIFY(loadHtml(view(), kFormsPage));
        QStringList expected = formValues(view());
        QCOMPARE(expected.size(), 11);
        for (QString& entry : expected) {
            if (!changed.isEmpty() && entry.section(u'=', 0, 0) == changed.section(u'=', 0, 0)) {
                entry = changed;
            }
        }
        QCOMPARE(write({form, field, textArea}, "x"), std::optional<bool>(written));
        QCOMPARE(formValues(view()), expected);
    }

    void setFormFieldValueKeepsTextAsData_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("quotes") << QByteArray(R"(it's "quoted")");
        QTest::newRow("backslashes") << QByteArray(R"(C:\new\table \u0041 \)");
        QTest::newRow("script end") << QByteArray("</script><script>x</script>");
        QTest::newRow("line separators") << QByteArray(
            "a\xE2\x80\xA8"
            "b\xE2\x80\xA9"
            "c\nd");
        QTest::newRow("nul") << QByteArray("a\0b", 3);
        QTest::newRow("non-ascii") << QByteArray("caf\xC3\xA9 \xF0\x9F\x98\x80");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("single-quote breakout") << QByteArray("');document.body.dataset.pwned=1;//");
        QTest::newRow("double-quote breakout")
            << QByteArray(R"("+(document.body.dataset.pwned=1)+")");
        QTest::newRow("array breakout") << QByteArray("]);document.body.dataset.pwned=1;([");
        QTest::newRow("template") << QByteArray("${document.body.dataset.pwned=1}`");
        QTest::newRow("markup") << QByteArray(
            R"(<img src=x onerror="document.body.dataset.pwned=1">)");
    }
    void setFormFieldValueKeepsTextAsData() {
        QFETCH(QByteArray, text);
        const std::string value(text.constData(), static_cast<std::size_t>(text.size()));
        QVERIFY(loadHtml(view(), kFormsPage));
        QCOMPARE(write({1, 4, true}, value), std::optional<bool>(true));
        QCOMPARE(toStdString(evalInPage(view(), u"m.value"_s).toString()), value);
        QCOMPARE(evalInPage(view(), u"document.body.dataset.pwned === undefined"_s),
                 QVariant(true));
    }

    void setFormFieldValueTellsPageScripts() {
        QVERIFY(loadHtml(view(), kFormsPage));
        QCOMPARE(write({1, 1, false}, "new"), std::optional<bool>(true));
        QCOMPARE(evalInPage(view(), u"seen"_s).toStringList(),
                 QStringList({u"input:t:new"_s, u"change:t:new"_s}));
    }

    void pasteTextAtCaret_data() {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<bool>("pasted");
        QTest::addColumn<QString>("values");
        QTest::newRow("caret in input") << u"a.focus(); a.setSelectionRange(5, 5)"_s << true
                                        << u"helloX world|line|me@|edit|false|ro|in"_s;
        QTest::newRow("selection replaced") << u"a.focus(); a.setSelectionRange(6, 11)"_s << true
                                            << u"hello X|line|me@|edit|false|ro|in"_s;
        QTest::newRow("textarea") << u"b.focus(); b.setSelectionRange(2, 2)"_s << true
                                  << u"hello world|liXne|me@|edit|false|ro|in"_s;
        QTest::newRow("input without caret")
            << u"e.focus()"_s << true << u"hello world|line|me@X|edit|false|ro|in"_s;
        QTest::newRow("contenteditable") << u"d.focus(); getSelection().collapse(d.firstChild, 2)"_s
                                         << true << u"hello world|line|me@|edXit|false|ro|in"_s;
        QTest::newRow("frame of the page")
            << u"var i = document.getElementById('f').contentDocument.getElementById('fi');"
               " i.focus(); i.setSelectionRange(1, 1)"_s
            << true << u"hello world|line|me@|edit|false|ro|iXn"_s;
        QTest::newRow("checkbox") << u"k.focus()"_s << false
                                  << u"hello world|line|me@|edit|false|ro|in"_s;
        QTest::newRow("read-only")
            << u"r.focus()"_s << false << u"hello world|line|me@|edit|false|ro|in"_s;
        QTest::newRow("nothing focused") << u"document.activeElement.blur()"_s << false
                                         << u"hello world|line|me@|edit|false|ro|in"_s;
    }
    void pasteTextAtCaret() {
        QFETCH(QString, focus);
        QFETCH(bool, pasted);
        QFETCH(QString, values);
        QVERIFY(loadHtml(view(), kPastePage));
        evalInPage(view(), focus);
        auto done = await<bool>([&](auto cb) { browser_->pasteText("X", cb); });
        QCOMPARE(done, std::optional<bool>(pasted));
        QCOMPARE(pasteValues(view()), values);
    }

    void readBodyGivesOuterAndInner() {
        QVERIFY(
            loadHtml(view(), u"<html><body class=x><p>caf\u00e9 \U0001F600</p></body></html>"_s));
        auto body = await<std::optional<BodyHtml>>([&](auto cb) { browser_->readBody(cb); });
        QVERIFY(body && *body);
        QCOMPARE((*body)->outer,
                 std::string("<body class=\"x\"><p>caf\xC3\xA9 \xF0\x9F\x98\x80</p></body>"));
        QCOMPARE((*body)->inner, std::string("<p>caf\xC3\xA9 \xF0\x9F\x98\x80</p>"));
        QCOMPARE((*body)->visibleText, std::string("caf\xC3\xA9 \xF0\x9F\x98\x80"));
    }

    // What a reader sees: rendered text with entities decoded, no scripts, no hidden parts,
    // and not the text inside a text area.
    void readBodyGivesTheVisibleText() {
        QVERIFY(loadHtml(view(),
                         u"<body><p>Tom &amp; <b>Jerry</b></p><script>var x = 1;</script>"
                         "<div style=display:none>hidden</div><textarea>draft</textarea>"
                         "<p><a href='http://a.com'>http://a.com</a></p></body>"_s));
        auto body = await<std::optional<BodyHtml>>([&](auto cb) { browser_->readBody(cb); });
        QVERIFY(body && *body);
        const std::string text = (*body)->visibleText;
        QVERIFY2(text.find("Tom & Jerry") != std::string::npos, text.c_str());
        QVERIFY2(text.find("http://a.com") != std::string::npos, text.c_str());
        for (const char* absent : {"var x", "hidden", "draft"}) {
            QVERIFY2(text.find(absent) == std::string::npos, absent);
        }
    }

    // The address as the browser sends it, for storing and fetching again; the readable form
    // for the address box.
    void locationIsEncoded() {
        browser_->navigate(server_->address(u"/a b/caf\u00e9?q=\u00fc#p1"_s));
        QTRY_COMPARE_WITH_TIMEOUT(events_.completes, 1, kTimeoutMs);
        const QString base = u"http://127.0.0.1:%1"_s.arg(server_->port());
        QCOMPARE(browser_->locationUrl(), toStdString(base + u"/a%20b/caf%C3%A9?q=%C3%BC#p1"_s));
        QCOMPARE(browser_->displayAddress(), base + u"/a b/caf\u00e9?q=\u00fc#p1"_s);
    }

    // A view that shows nothing yet, about:blank and a page still loading have no body.
    void readBodyOfBlankOrLoadingPage() {
        auto readBody = [&] {
            return await<std::optional<BodyHtml>>([&](auto cb) { browser_->readBody(cb); });
        };
        auto body = readBody();
        QVERIFY(body && !*body);

        browser_->navigate("about:blank");
        QTRY_COMPARE_WITH_TIMEOUT(events_.completes, 1, kTimeoutMs);
        body = readBody();
        QVERIFY(body && !*body);

        browser_->navigate(server_->address(u"/stall"_s));
        QTRY_VERIFY_WITH_TIMEOUT(
            evalInPage(view(), u"!!document.getElementById('partial')"_s).toBool(), kTimeoutMs);
        QCOMPARE(events_.completes, 1);
        body = readBody();
        QVERIFY(body && !*body);

        server_->release();
        QTRY_COMPARE_WITH_TIMEOUT(events_.completes, 2, kTimeoutMs);
        body = readBody();
        QVERIFY(body && *body);
        QVERIFY((*body)->inner.find("<p id=\"rest\">rest</p>") != std::string::npos);
    }

    void continuationsDropWhenBrowserGoes() {
        auto browser = std::make_unique<WebEngineBrowser>();
        QVERIFY(loadHtml(browser->view(), kFormsPage));
        int calls = 0;
        browser->readBody([&](std::optional<BodyHtml>) { ++calls; });
        browser->setFormFieldValue({1, 1, false}, {"x"}, [&](InsertResult) { ++calls; });
        browser->setFormFieldValue({-1, 0}, {"x"}, [&](InsertResult) { ++calls; });
        browser->insertIntoComposer({"x"}, [&](InsertResult) { ++calls; });
        browser->pasteText("x", [&](bool) { ++calls; });
        browser.reset();
        QVERIFY(!QTest::qWaitFor([&] { return calls > 0; }, kQuietMs));
    }

    // The view belongs to its parent widget: either may go first.
    void viewLivesWithItsParent() {
        auto parent = std::make_unique<QWidget>();
        auto browser = std::make_unique<WebEngineBrowser>(parent.get());
        QCOMPARE(parent->findChild<QWebEngineView*>(u"WebBrowser1"_s), browser->view());
        browser.reset();
        QVERIFY(parent->findChild<QWebEngineView*>(u"WebBrowser1"_s));

        // Results still pending when the view goes are dropped, not handed back empty.
        browser = std::make_unique<WebEngineBrowser>(parent.get());
        QVERIFY(loadHtml(browser->view(), kFormsPage));
        int calls = 0;
        browser->readBody([&](std::optional<BodyHtml>) { ++calls; });
        browser->setFormFieldValue({1, 1, false}, {"x"}, [&](InsertResult) { ++calls; });
        parent.reset();
        QVERIFY(!browser->view());
        QVERIFY(!QTest::qWaitFor([&] { return calls > 0; }, kQuietMs));
        browser->navigate("about:blank");
        QCOMPARE(browser->locationUrl(), std::string());
        auto done = await<InsertResult>([&](auto cb) {
            browser->setFormFieldValue({0, 0, false}, {"x"}, cb);
        });
        QVERIFY(done && !done->written);
    }

    void loadEventsAndTitle() {
        const QUrl url = server_->url(u"/a"_s);
        browser_->navigate(toStdString(url.toString()));
        QTRY_COMPARE_WITH_TIMEOUT(events_.completes, 1, kTimeoutMs);
        QCOMPARE(events_.begins, 1);
        QTRY_VERIFY(!events_.titles.empty() && events_.titles.back() == "a");
        QCOMPARE(browser_->locationName(), std::string("a"));
        QCOMPARE(browser_->locationUrl(), toStdString(url.toString()));
        QTRY_VERIFY(!events_.progress.empty() && events_.progress.back() == 100);
        for (int percent : events_.progress) QVERIFY(percent >= 0 && percent <= 100);
    }

    void failedLoadStillCompletes() {
        quint16 refused = 0;
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
            refused = probe.serverPort();
        }
        browser_->navigate("http://127.0.0.1:" + std::to_string(refused) + "/");
        QTRY_COMPARE_WITH_TIMEOUT(events_.completes, 1, kTimeoutMs);
        QCOMPARE(events_.begins, 1);
    }

    void statusTextFollowsHoveredLink() {
        QVERIFY(loadHtml(view(),
                         u"<body style=margin:0><a href='http://127.0.0.1/next' "
                         "style='display:block;height:200px'>next</a></body>"_s));
        QWidget* surface = view()->focusProxy();
        QVERIFY(surface);
        QTest::mouseMove(surface, QPoint(50, 50));
        QTRY_VERIFY_WITH_TIMEOUT(
            !events_.statusTexts.empty() && events_.statusTexts.back() == "http://127.0.0.1/next",
            kTimeoutMs);
        QTest::mouseMove(surface, QPoint(50, 400));
        QTRY_VERIFY_WITH_TIMEOUT(events_.statusTexts.back().empty(), kTimeoutMs);
    }

    void newWindowRefusedOrOpened_data() {
        QTest::addColumn<bool>("refuse");
        QTest::newRow("refused") << true;
        QTest::newRow("opened") << false;
    }
    // A window opens from the user's click only: the page's own script opens nothing; a
    // click on a link with a target asks, and the rule refuses or lets it open.
    void newWindowRefusedOrOpened() {
        QFETCH(bool, refuse);
        events_.refuseNewWindows = refuse;
        const QUrl url = server_->url(u"/popup"_s);
        QVERIFY(
            loadHtml(view(),
                     u"<body style=margin:0><a target=_blank href='%1' "
                     "style='display:block;height:200px'>open</a></body>"_s.arg(url.toString())));
        QSignalSpy opened(browser_.get(), &WebEngineBrowser::popupOpened);
        for (int i = 0; i < 5; ++i) evalInPage(view(), u"window.open('%1')"_s.arg(url.toString()));
        QVERIFY(!opened.wait(kQuietMs));
        QCOMPARE(events_.newWindowRequests, 0);
        QCOMPARE(server_->requestsFor("/popup"), 0);
        QTest::mouseClick(view()->focusProxy(), Qt::LeftButton, {}, QPoint(50, 50));
        QTRY_COMPARE_WITH_TIMEOUT(events_.newWindowRequests, 1, kTimeoutMs);
        if (refuse) {
            QVERIFY(!opened.wait(kQuietMs));
            QCOMPARE(server_->requestsFor("/popup"), 0);
            return;
        }
        QVERIFY(opened.count() == 1 || opened.wait(kTimeoutMs));
        QPointer<QWebEngineView> popup = opened.first().first().value<QWebEngineView*>();
        QVERIFY(popup && popup != view() && popup->isWindow());
        QTRY_COMPARE_WITH_TIMEOUT(popup->page()->title(), u"popup"_s, kTimeoutMs);
        QCOMPARE(popup->page()->url(), url);
        QCOMPARE(events_.completes, 1);  // the popup's loads are its own
        popup->close();
        QTRY_VERIFY(popup.isNull());
    }

    void historyNavigation() {
        // Whether the step led to a completed load; one that should not is given kQuietMs.
        const auto go = [&](auto step, int timeoutMs = kTimeoutMs) {
            const int before = events_.completes;
            step();
            return QTest::qWaitFor([&] { return events_.completes > before; }, timeoutMs);
        };
        // The first address comes as typed, without a scheme.
        const std::string typed = "127.0.0.1:" + std::to_string(server_->port()) + "/a";
        QVERIFY(go([&] { browser_->navigate(typed); }));
        QCOMPARE(browser_->locationUrl(), server_->address(u"/a"_s));
        QVERIFY(go([&] { browser_->navigate(server_->address(u"/b"_s)); }));
        QVERIFY(go([&] { browser_->navigate(server_->address(u"/c"_s)); }));

        QVERIFY(!go([&] { browser_->goForward(); }, kQuietMs));
        QCOMPARE(browser_->locationName(), std::string("c"));
        QVERIFY(go([&] { browser_->goBack(); }));
        QCOMPARE(browser_->locationName(), std::string("b"));
        QVERIFY(go([&] { browser_->goBack(); }));
        QCOMPARE(browser_->locationName(), std::string("a"));
        QVERIFY(!go([&] { browser_->goBack(); }, kQuietMs));
        QVERIFY(go([&] { browser_->goForward(); }));
        QCOMPARE(browser_->locationName(), std::string("b"));
        QCOMPARE(browser_->locationUrl(), server_->address(u"/b"_s));
    }

    void stopAndRefresh() {
        browser_->navigate(server_->address(u"/a"_s));
        QTRY_COMPARE_WITH_TIMEOUT(events_.completes, 1, kTimeoutMs);
        browser_->refresh();
        QTRY_COMPARE_WITH_TIMEOUT(events_.completes, 2, kTimeoutMs);
        QCOMPARE(server_->requestsFor("/a"), 2);

        browser_->navigate(server_->address(u"/stall"_s));
        QTRY_COMPARE_WITH_TIMEOUT(server_->requestsFor("/stall"), 1, kTimeoutMs);
        QCOMPARE(events_.completes, 2);
        browser_->stop();
        QTRY_COMPARE_WITH_TIMEOUT(events_.completes, 3, kTimeoutMs);
        QCOMPARE(events_.begins, 3);
    }

private:
    QWebEngineView* view() const { return browser_->view(); }
    std::optional<bool> write(const FieldTarget& target, const std::string& text) {
        auto done =
            await<InsertResult>([&](auto cb) { browser_->setFormFieldValue(target, {text}, cb); });
        if (!done) return std::nullopt;
        return done->written;
    }

    Events events_;
    std::unique_ptr<PageServer> server_;
    std::unique_ptr<WebEngineBrowser> browser_;
};

QTEST_MAIN(WebEngineBrowserTest)
#include "webengine_browser_test.moc"
