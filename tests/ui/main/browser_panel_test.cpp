// The browser panel in the real WebEngine: forum-like pages come from a small server on
// 127.0.0.1, and the panel is driven through its controls and its public commands.

#include <QCheckBox>
#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QUrlQuery>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>

#include "core/storage/text_file.h"
#include "forum_server.h"
#include "platform/qt_strings.h"
#include "platform/webengine_browser.h"
#include "ui/main/browser_panel.h"
#include "ui/widgets/message_box.h"

namespace boardcast {
namespace {

using namespace Qt::StringLiterals;

constexpr int kTimeoutMs = 15000;

// HTTP/1.1 on 127.0.0.1, one request per connection. A handler answers each complete
// request (headers and body) with the bytes to send; a stalling answer keeps the connection
// open until the server goes.
class PageServer final : public QObject {
public:
    struct Request {
        QByteArray method, path, body;
    };
    struct Reply {
        QByteArray bytes;
        bool close = true;
    };

    explicit PageServer(std::function<Reply(const Request&)> handler)
        : handler_(std::move(handler)), server_(new QTcpServer(this)) {
        connect(server_, &QTcpServer::newConnection, this, &PageServer::accept);
        server_->listen(QHostAddress::LocalHost, 0);
    }

    QString url(const QString& path) const {
        return u"http://127.0.0.1:%1%2"_s.arg(server_->serverPort()).arg(path);
    }
    int hits(const QByteArray& path) const { return int(requested_.count(path)); }

private:
    void accept() {
        while (QTcpSocket* socket = server_->nextPendingConnection()) {
            auto buffer = std::make_shared<QByteArray>();
            auto answered = std::make_shared<bool>(false);
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer, answered] {
                buffer->append(socket->readAll());
                if (*answered) return;
                const std::optional<ForumServer::Request> parsed =
                    ForumServer::readRequest(*buffer);
                if (!parsed) return;
                Request request{parsed->method, parsed->target, parsed->body};
                requested_.append(request.path);
                *answered = true;
                const Reply reply = handler_(request);
                socket->write(reply.bytes);
                if (reply.close) socket->disconnectFromHost();
            });
        }
    }

    std::function<Reply(const Request&)> handler_;
    QTcpServer* server_;  // a child, with the connections it accepted
    QList<QByteArray> requested_;
};

PageServer::Reply page(const QByteArray& html, const QByteArray& status = "200 OK") {
    return {"HTTP/1.1 " + status +
            "\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
            QByteArray::number(html.size()) +
            "\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n" + html};
}

// The shape of a real board's posting page: a search box and a quick login in the header
// (inputs only), then the posting form with hidden fields, a token, the subject, post icons,
// the message, options and several submit buttons.
QByteArray postingPage(const QByteArray& posting) {
    return "<!DOCTYPE html><html><head><title>Post a reply</title></head><body>"
           "<div id=\"page-header\"><a id=\"faq\" href=\"/faq.php\" style=\"display:inline-block;"
           "padding:20px\">FAQ</a>"
           "<form action=\"/search.php\" method=\"get\" id=\"search\">"
           "<input name=\"keywords\" id=\"keywords\" type=\"text\" maxlength=\"128\">"
           "<input type=\"hidden\" name=\"sr\" value=\"posts\">"
           "<input class=\"button\" value=\"Search\" type=\"submit\"></form>"
           "<form action=\"/login.php\" method=\"post\" id=\"login\">"
           "<input type=\"text\" name=\"username\" id=\"username\" size=\"10\">"
           "<input type=\"password\" name=\"password\" id=\"password\" size=\"10\">"
           "<input type=\"submit\" name=\"login\" value=\"Login\"></form></div>"
           "<div id=\"page-body\"><h2>Re: Welcome to the board</h2>" +
           posting + "</div><div id=\"page-footer\">Powered by board software</div></body></html>";
}

const QByteArray kPostingForm =
    "<form id=\"postform\" method=\"post\" action=\"/posting.php?mode=reply&amp;t=2\">"
    "<input type=\"hidden\" name=\"mode\" value=\"reply\">"
    "<input type=\"hidden\" name=\"t\" value=\"2\">"
    "<input type=\"hidden\" name=\"form_token\" value=\"9f86d081884c7d65\">"
    "<dl><dt><label for=\"subject\">Subject:</label></dt>"
    "<dd><input type=\"text\" name=\"subject\" id=\"subject\" size=\"45\" tabindex=\"2\"></dd></dl>"
    "<dl><dt>Post icon:</dt><dd><input type=\"radio\" name=\"icon\" value=\"0\" checked> None "
    "<input type=\"radio\" name=\"icon\" value=\"1\"> Smile</dd></dl>"
    "<textarea name=\"message\" id=\"message\" rows=\"15\" cols=\"76\" tabindex=\"3\"></textarea>"
    "<select name=\"addbbcode20\"><option value=\"100\">Normal</option></select>"
    "<input type=\"checkbox\" name=\"disable_smilies\" id=\"disable_smilies\"> Disable smilies "
    "<input type=\"checkbox\" name=\"attach_sig\" id=\"attach_sig\" checked> Attach a signature"
    "<input type=\"submit\" name=\"preview\" value=\"Preview\">"
    "<input type=\"submit\" name=\"post\" value=\"Submit\" class=\"button1\">"
    "<input type=\"submit\" name=\"cancel\" value=\"Cancel\"></form>";

// Posting switched off: the form has no text area; the one below lies outside every form.
const QByteArray kLockedTopic =
    "<form action=\"/viewtopic.php\" method=\"get\"><input type=\"hidden\" name=\"t\" value=\"2\">"
    "<input type=\"submit\" value=\"Back to topic\"></form>"
    "<p>This topic is locked.</p><textarea id=\"message\" readonly>Rules</textarea>";

QByteArray topicPage(const QByteArray& post) {
    return "<html><body><div class=\"postbody\">" +
           QString::fromUtf8(post).toHtmlEscaped().toUtf8() + "</div></body></html>";
}

class RecordingStatus final : public StatusPanels {
public:
    void setPanelText(int panel, const std::string& text) override {
        texts[panel].append(toQString(text));
    }
    std::map<int, QStringList> texts;
};

}  // namespace

class BrowserPanelTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void autoInsertFillsTheMessageArea();
    void autoInsertFailureShowsTheError_data();
    void autoInsertFailureShowsTheError();
    void postedMessageIsWatchedOnce();
    void postWithoutTheMessageIsNotWatched();
    void pasteGoesToTheFocusedField_data();
    void pasteGoesToTheFocusedField();
    void otherPasteIndicesAskForNothing();
    void noPopupsDecidesNewWindows();
    void hostilePopupsLeaveTheBrowserWorking_data();
    void hostilePopupsLeaveTheBrowserWorking();
    void enteredAddressOpensAndAddressBoxFollows();
    void navigationButtons();
    void linkHoverReachesStatusPanel2();

private:
    QWebEngineView* view() const { return panel_->webEngine().view(); }
    template <typename T>
    T* control(const char* name) const {
        return panel_->findChild<T*>(QLatin1String(name));
    }
    QVariant js(const QString& script);
    QString valueOf(const QString& id) {
        return js(u"document.getElementById('%1').value"_s.arg(id)).toString();
    }
    bool open(const QString& path);
    // A round trip through the page: reads of the page started before it have answered.
    void settle() { js(u"0"_s); }
    PageServer::Reply answer(const PageServer::Request& request);
    bool loadsAfter(const std::function<void()>& action);

    std::unique_ptr<PageServer> server_;
    QByteArray lastPosted_;
    bool answerShowsPost_ = true;

    QTemporaryDir dir_;
    RecordingStatus status_;
    QStringList watchedAddresses_;
    QList<int> pasteAsked_;
    std::unique_ptr<BrowserPanel> panel_;
    QList<QPointer<QWebEngineView>> popups_;
};

void BrowserPanelTest::initTestCase() {
    MessageBox::setRecording(true);
    QVERIFY(dir_.isValid());
    server_ =
        std::make_unique<PageServer>([this](const PageServer::Request& r) { return answer(r); });
}

PageServer::Reply BrowserPanelTest::answer(const PageServer::Request& r) {
    if (r.path == "/" || r.path == "/posting.php") return page(postingPage(kPostingForm));
    if (r.path == "/locked.php") return page(postingPage(kLockedTopic));
    if (r.path == "/viewtopic.php") return page(topicPage(lastPosted_));
    if (r.path == "/faq.php") return page("<html><body>Frequently asked</body></html>");
    if (r.path.startsWith("/popup")) return page("<html><body>popup</body></html>");
    if (r.path == "/opener") {
        return page(
            "<html><body style=margin:0><div style='height:300px' "
            "onclick='window.opened = window.open(window.next)'>open</div></body></html>");
    }
    if (r.path == "/hostile") {
        // One click anywhere runs the script the test left in window.act.
        return page(
            "<html><body style=margin:0><div style='height:300px' "
            "onclick='new Function(window.act)()'>act</div></body></html>");
    }
    if (r.path.startsWith("/posting.php?") && r.method == "POST") {
        QByteArray form = r.body;
        lastPosted_ = QUrlQuery(QString::fromUtf8(form.replace('+', "%20")))
                          .queryItemValue(u"message"_s, QUrl::FullyDecoded)
                          .toUtf8();
        return page(answerShowsPost_
                        ? topicPage(lastPosted_)
                        : "<html><body>Your post has been queued for approval.</body></html>");
    }
    if (r.path == "/stall") {
        // Everything up to the message area, then nothing more.
        QByteArray start = postingPage(kPostingForm);
        start.truncate(start.indexOf("<select"));
        return {
            "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 100000\r\n\r\n" + start,
            false};
    }
    return page("<html><body>Not found</body></html>", "404 Not Found");
}

void BrowserPanelTest::init() {
    BrowserPanel::Services services;
    services.scanRecordPath = joinPath(toStdString(dir_.path()), "htmltemp.txt");
    services.pasteText = [this](int index) {
        pasteAsked_.append(index);
        const QList<std::string> texts{"Re: Welcome", "fred", "s3cret", "[b]Hello[/b] board"};
        return texts.value(index, "no text for this index");
    };
    services.watchCurrentPage = [this](const SeenPost& seen) {
        watchedAddresses_.append(
            toQString(seen.address.empty() ? panel_->currentAddress() : seen.address));
    };
    panel_ = std::make_unique<BrowserPanel>(status_, std::move(services));
    connect(&panel_->webEngine(), &WebEngineBrowser::popupOpened, this,
            [this](QWebEngineView* popup) { popups_.append(popup); });
    panel_->resize(640, 520);
    panel_->show();
    QVERIFY(QTest::qWaitForWindowExposed(panel_.get()));
}

void BrowserPanelTest::cleanup() {
    panel_.reset();  // closes its popups too
    popups_.clear();
    MessageBox::clearRecorded();
    status_.texts.clear();
    watchedAddresses_.clear();
    pasteAsked_.clear();
    answerShowsPost_ = true;
}

QVariant BrowserPanelTest::js(const QString& script) {
    auto result = std::make_shared<std::optional<QVariant>>();
    view()->page()->runJavaScript(script, [result](const QVariant& v) { *result = v; });
    if (!QTest::qWaitFor([&] { return result->has_value(); }, kTimeoutMs)) return {};
    return **result;
}

bool BrowserPanelTest::loadsAfter(const std::function<void()>& action) {
    QSignalSpy loaded(view(), &QWebEngineView::loadFinished);
    action();
    return loaded.wait(kTimeoutMs);
}

bool BrowserPanelTest::open(const QString& path) {
    return loadsAfter([&] { panel_->navigate(toStdString(server_->url(path))); });
}

// ---------------------------------------------------------------------------------------

void BrowserPanelTest::autoInsertFillsTheMessageArea() {
    QVERIFY(open(u"/posting.php"_s));
    panel_->autoInsertMessage({"[b]Hello[/b] board\r\nsecond line\r\n\r\n"});
    // A text area keeps its line breaks as LF.
    QTRY_COMPARE_WITH_TIMEOUT(valueOf(u"message"_s), u"[b]Hello[/b] board\nsecond line\n\n"_s,
                              kTimeoutMs);
    QCOMPARE(valueOf(u"subject"_s), QString());
    QCOMPARE(valueOf(u"keywords"_s), QString());
    QVERIFY(MessageBox::recorded().isEmpty());
}

void BrowserPanelTest::autoInsertFailureShowsTheError_data() {
    QTest::addColumn<QString>("address");
    QTest::newRow("no text area in a form") << server_->url(u"/locked.php"_s);
    QTest::newRow("empty page") << u"about:blank"_s;
    QTest::newRow("still loading") << server_->url(u"/stall"_s);
}

void BrowserPanelTest::autoInsertFailureShowsTheError() {
    QFETCH(QString, address);
    if (address.endsWith(u"/stall")) {
        panel_->navigate(toStdString(address));
        // The message area has arrived; the page has not finished.
        QTRY_VERIFY_WITH_TIMEOUT(js(u"document.getElementById('message') !== null"_s).toBool(),
                                 kTimeoutMs);
    } else {
        QVERIFY(loadsAfter([&] { panel_->navigate(toStdString(address)); }));
    }
    panel_->autoInsertMessage({"Hello board\r\n\r\n"});
    QTRY_COMPARE_WITH_TIMEOUT(MessageBox::recorded().size(), 1, kTimeoutMs);
    const MessageBox::Shown& shown = MessageBox::recorded().front();
    QCOMPARE(shown.title, u"Auto-Insert Error"_s);
    QCOMPARE(shown.text, u"Could not auto-insert your message.  Try pasting instead."_s);
    QCOMPARE(shown.icon, MessageBox::Icon::None);
    QCOMPARE(js(u"(document.getElementById('message') || {}).value || ''"_s).toString(),
             address.endsWith(u"/locked.php") ? u"Rules"_s : QString());
}

void BrowserPanelTest::postedMessageIsWatchedOnce() {
    QVERIFY(open(u"/posting.php"_s));
    panel_->autoInsertMessage({"Greetings from the test board\r\nSecond line\r\n\r\n"});
    QTRY_VERIFY_WITH_TIMEOUT(!valueOf(u"message"_s).isEmpty(), kTimeoutMs);
    QVERIFY(loadsAfter([&] { js(u"document.querySelector('[name=post]').click()"_s); }));
    QCOMPARE(lastPosted_,
             QByteArray("Greetings from the test board\nSecond line\n\n").replace("\n", "\r\n"));
    QTRY_COMPARE_WITH_TIMEOUT(watchedAddresses_.size(), 1, kTimeoutMs);
    QCOMPARE(watchedAddresses_.front(), server_->url(u"/posting.php?mode=reply&t=2"_s));

    // The same page shown again within the next downloads is not watched a second time.
    for (int i = 0; i < 3; ++i) QVERIFY(open(u"/viewtopic.php"_s));
    settle();
    QCOMPARE(watchedAddresses_.size(), 1);
}

void BrowserPanelTest::postWithoutTheMessageIsNotWatched() {
    answerShowsPost_ = false;
    QVERIFY(open(u"/posting.php"_s));
    panel_->autoInsertMessage({"Greetings from the test board\r\n\r\n"});
    QTRY_VERIFY_WITH_TIMEOUT(!valueOf(u"message"_s).isEmpty(), kTimeoutMs);
    QCOMPARE(panel_->autoInsert().postCheckCountdown(), AutoInsert::kPostChecks);
    QVERIFY(loadsAfter([&] { js(u"document.getElementById('postform').submit()"_s); }));
    settle();
    QVERIFY(watchedAddresses_.isEmpty());
    // Exactly one check was used by the one download.
    QCOMPARE(panel_->autoInsert().postCheckCountdown(), AutoInsert::kPostChecks - 1);
}

void BrowserPanelTest::pasteGoesToTheFocusedField_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::newRow("subject") << 0 << u"subject"_s << u"Re: Welcome"_s;
    QTest::newRow("username") << 1 << u"username"_s << u"fred"_s;
    QTest::newRow("password") << 2 << u"password"_s << u"s3cret"_s;
    QTest::newRow("message") << 3 << u"message"_s << u"[b]Hello[/b] board"_s;
}

void BrowserPanelTest::pasteGoesToTheFocusedField() {
    QFETCH(int, index);
    QFETCH(QString, field);
    QFETCH(QString, text);
    QVERIFY(open(u"/posting.php"_s));
    js(u"document.getElementById('%1').focus()"_s.arg(field));
    panel_->pasteIntoPage(index);
    QCOMPARE(pasteAsked_, QList<int>{index});
    QTRY_COMPARE_WITH_TIMEOUT(valueOf(field), text, kTimeoutMs);
    const QString others = js(u"['subject', 'username', 'password', 'message', 'keywords']"
                              ".filter(f => f !== '%1')"
                              ".map(f => document.getElementById(f).value).join('')"_s.arg(field))
                               .toString();
    QCOMPARE(others, QString());
}

void BrowserPanelTest::otherPasteIndicesAskForNothing() {
    QVERIFY(open(u"/posting.php"_s));
    js(u"document.getElementById('message').focus()"_s);
    panel_->pasteIntoPage(-1);
    panel_->pasteIntoPage(4);
    QVERIFY(pasteAsked_.isEmpty());
    QCOMPARE(valueOf(u"message"_s), QString());
}

void BrowserPanelTest::noPopupsDecidesNewWindows() {
    auto* check = control<QCheckBox>("Check1");
    QVERIFY(check && !check->isChecked());
    QCOMPARE(check->text(), u"No Popups"_s);
    QVERIFY(open(u"/opener"_s));
    // The page's own script opens nothing, twenty times over.
    for (int i = 0; i < 20; ++i) js(u"window.open('/popup0')"_s);
    QTest::qWait(300);
    QVERIFY(popups_.isEmpty());
    QCOMPARE(server_->hits("/popup0"), 0);

    // A click that opens a window: refused while "No Popups" is ticked, opened when not.
    auto clickToOpen = [this](const QString& path) {
        js(u"window.next = '%1'"_s.arg(path));
        QTest::mouseClick(view()->focusProxy(), Qt::LeftButton, {}, QPoint(50, 50));
    };
    QTest::mouseClick(check, Qt::LeftButton);
    QVERIFY(check->isChecked());
    clickToOpen(u"/popup1"_s);
    // A refused window is closed again on the page's side.
    QTRY_VERIFY_WITH_TIMEOUT(js(u"window.opened === null || window.opened.closed"_s).toBool(),
                             kTimeoutMs);
    QVERIFY(popups_.isEmpty());

    QTest::mouseClick(check, Qt::LeftButton);
    QVERIFY(!check->isChecked());
    clickToOpen(u"/popup2"_s);
    QTRY_COMPARE_WITH_TIMEOUT(popups_.size(), 1, kTimeoutMs);
    QTRY_COMPARE_WITH_TIMEOUT(popups_.front()->url().path(), u"/popup2"_s, kTimeoutMs);
    QCOMPARE(server_->hits("/popup1"), 0);

    // The new window is a browser window of ours on the same profile: address box,
    // navigation buttons and a status bar that follow its page.
    QWidget* window = popups_.front()->window();
    QCOMPARE(window->objectName(), u"frmPopup"_s);
    QVERIFY(window->isVisible());
    QCOMPARE(popups_.front()->page()->profile(), view()->page()->profile());
    auto* address = window->findChild<QLineEdit*>(u"Text1"_s);
    QVERIFY(address);
    QTRY_COMPARE_WITH_TIMEOUT(address->text(), server_->url(u"/popup2"_s), kTimeoutMs);
    for (const char* name : {"Command3", "Command4", "Command5", "Command6", "Command7"}) {
        QVERIFY2(window->findChild<QToolButton*>(QLatin1String(name)), name);
    }
    auto* state = window->findChild<QLabel*>(u"StatusPanel2"_s);
    QVERIFY(state);
    QTRY_COMPARE_WITH_TIMEOUT(state->text(), u"Completed "_s + server_->url(u"/popup2"_s),
                              kTimeoutMs);
    // A page may close the window it opened.
    QPointer<QWidget> closing = window;
    js(u"window.opened.close()"_s);
    QTRY_VERIFY_WITH_TIMEOUT(closing.isNull(), kTimeoutMs);
}

void BrowserPanelTest::hostilePopupsLeaveTheBrowserWorking_data() {
    QTest::addColumn<bool>("noPopups");
    QTest::addColumn<QString>("script");  // run by each click on the page
    QTest::addColumn<int>("clicks");
    QTest::addColumn<int>("windowsLeft");
    QTest::addColumn<bool>("refused");  // a line in status panel 2 says so
    const QString write =
        u"w => { w.document.write('<p>hi</p>'); w.document.close(); return w; }"_s;
    auto row = [&](const char* name, const QString& body, int windowsLeft, int clicks = 1,
                   bool refused = false, bool noPopups = false) {
        QTest::newRow(name) << noPopups << u"const write = %1; %2"_s.arg(write, body) << clicks
                            << windowsLeft << refused;
    };
    row("open and write", u"write(open(''))"_s, 1);
    row("write before its address loads", u"write(open('/popup0'))"_s, 1);
    row("write then navigate", u"write(open('')).location = '/popup1'"_s, 1);
    row("open, write, close, twenty times",
        u"for (let i = 0; i < 20; ++i) write(open('')).close()"_s, 0);
    row("opener closes it at once", u"open('').close()"_s, 0);
    row("it closes itself", u"write(open('')).document.write('<script>close()</scr' + 'ipt>')"_s,
        0);
    row("it closes its opener", u"write(open('')).opener.close()"_s, 1);
    row("one name twice", u"write(open('', 'n')); write(open('', 'n'))"_s, 1);
    row("from a timeout", u"setTimeout(() => write(open('')), 100)"_s, 1);
    row("from beforeunload", u"onbeforeunload = () => { write(open('')) }; location = '/faq.php'"_s,
        0);
    row("more than may be open", u"write(open(''))"_s, 20, 21, true);
    row("No Popups ticked", u"write(open(''))"_s, 0, 1, true, true);
}

void BrowserPanelTest::hostilePopupsLeaveTheBrowserWorking() {
    QFETCH(bool, noPopups);
    QFETCH(QString, script);
    QFETCH(int, clicks);
    QFETCH(int, windowsLeft);
    QFETCH(bool, refused);
    control<QCheckBox>("Check1")->setChecked(noPopups);
    QVERIFY(open(u"/hostile"_s));
    const QByteArray quoted = QJsonDocument(QJsonArray{script}).toJson(QJsonDocument::Compact);
    js(u"window.act = %1[0]"_s.arg(QString::fromUtf8(quoted)));
    for (int i = 0; i < clicks; ++i) {
        QTest::mouseClick(view()->focusProxy(), Qt::LeftButton, {}, QPoint(50, 50));
        settle();
    }
    QTest::qWait(1000);  // the windows' pages are painted, close and navigate
    auto shown = [this] {
        return int(std::count_if(popups_.begin(), popups_.end(),
                                 [](const QPointer<QWebEngineView>& v) { return !v.isNull(); }));
    };
    QTRY_COMPARE_WITH_TIMEOUT(shown(), windowsLeft, kTimeoutMs);
    QCOMPARE(!status_.texts[2].filter(u"Pop-up window refused"_s).isEmpty(), refused);
    QVERIFY(open(u"/faq.php"_s));
    QCOMPARE(js(u"document.body.textContent"_s).toString(), u"Frequently asked"_s);
}

void BrowserPanelTest::enteredAddressOpensAndAddressBoxFollows() {
    auto* text5 = control<QLineEdit>("Text5");
    QVERIFY(text5);
    // Typed without the trailing slash that the browser reports.
    const QString typed = server_->url(QString());
    const int rootHits = server_->hits("/");
    QVERIFY(loadsAfter([&] {
        QTest::keyClicks(text5, typed);
        QTest::keyClick(text5, Qt::Key_Return);
    }));
    QCOMPARE(server_->hits("/"), rootHits + 1);
    QTRY_COMPARE_WITH_TIMEOUT(text5->text(), typed + QLatin1Char('/'), kTimeoutMs);
    const QStringList downloads = status_.texts[1];
    QVERIFY(downloads.size() >= 2);
    QCOMPARE(downloads.first(), u"Connecting"_s);
    QCOMPARE(downloads.last(), u"Complete"_s);
    QCOMPARE(panel_->currentAddress(), toStdString(typed + QLatin1Char('/')));

    // The go button opens the box's text the same way.
    text5->setText(server_->url(u"/faq.php"_s));
    QVERIFY(
        loadsAfter([&] { QTest::mouseClick(control<QToolButton>("Command3"), Qt::LeftButton); }));
    QTRY_COMPARE_WITH_TIMEOUT(text5->text(), server_->url(u"/faq.php"_s), kTimeoutMs);
}

void BrowserPanelTest::navigationButtons() {
    auto* text5 = control<QLineEdit>("Text5");
    auto click = [this](const char* name) {
        QTest::mouseClick(control<QToolButton>(name), Qt::LeftButton);
    };
    QVERIFY(open(u"/posting.php"_s));
    QVERIFY(open(u"/faq.php"_s));

    QVERIFY(loadsAfter([&] { click("Command4"); }));
    QTRY_COMPARE_WITH_TIMEOUT(text5->text(), server_->url(u"/posting.php"_s), kTimeoutMs);
    QVERIFY(loadsAfter([&] { click("Command5"); }));
    QTRY_COMPARE_WITH_TIMEOUT(text5->text(), server_->url(u"/faq.php"_s), kTimeoutMs);
    const int faqHits = server_->hits("/faq.php");
    QVERIFY(loadsAfter([&] { click("Command7"); }));
    QCOMPARE(server_->hits("/faq.php"), faqHits + 1);

    const int stallHits = server_->hits("/stall");
    panel_->navigate(toStdString(server_->url(u"/stall"_s)));
    QTRY_COMPARE_WITH_TIMEOUT(server_->hits("/stall"), stallHits + 1, kTimeoutMs);
    QTRY_COMPARE_WITH_TIMEOUT(status_.texts[1].last(), u"Connecting"_s, kTimeoutMs);
    QVERIFY(loadsAfter([&] { click("Command6"); }));
    QCOMPARE(status_.texts[1].last(), u"Complete"_s);
}

void BrowserPanelTest::linkHoverReachesStatusPanel2() {
    QVERIFY(open(u"/posting.php"_s));
    const QVariantList box = js(u"(r => [r.left + r.width / 2, r.top + r.height / 2])"
                                "(document.getElementById('faq').getBoundingClientRect())"_s)
                                 .toList();
    QCOMPARE(box.size(), 2);
    const QPoint centre(box[0].toInt(), box[1].toInt());
    QWidget* target = view()->focusProxy();
    QVERIFY(target);
    QTest::mouseMove(target, centre - QPoint(5, 0));
    QTest::mouseMove(target, centre);
    QTRY_VERIFY_WITH_TIMEOUT(status_.texts[2].contains(server_->url(u"/faq.php"_s)), kTimeoutMs);
}

}  // namespace boardcast

QTEST_MAIN(boardcast::BrowserPanelTest)
#include "browser_panel_test.moc"
