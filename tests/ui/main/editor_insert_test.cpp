// Auto-insert and the post detection on the posting pages of real forum software, with the
// real rich text editors from their npm packages, in the real browser engine: each page is
// filled by auto-insert and then sent with its own button, and the test reads what the forum
// received. The forum then shows the thread with the post rendered, as forums do, and the
// thread must be watched once.

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <memory>
#include <optional>

#include "core/conversion/link_templates.h"
#include "core/conversion/message_output.h"
#include "core/storage/text_file.h"
#include "forum_server.h"
#include "platform/qt_strings.h"
#include "platform/webengine_browser.h"
#include "posting/rendered_message.h"
#include "ui/main/browser_panel.h"
#include "ui/widgets/message_box.h"

namespace boardcast {
namespace {

using namespace Qt::StringLiterals;

constexpr int kTimeoutMs = 30000;

// Three kinds of address, a query with "&", and punctuation right after two of them.
const std::string kMessage =
    "Fresh deals at https://shop.example/deals/spring.html?id=7&ref=mail every day.\r\n"
    "Write to sales@shop.example, or see www.shop.example.\r\n";
// What must arrive as links, and the rest of the message in order.
const QStringList kTargets{u"https://shop.example/deals/spring.html?id=7&ref=mail"_s,
                           u"mailto:sales@shop.example"_s, u"http://www.shop.example"_s};
const QStringList kPhrases{u"Fresh deals at"_s, u"every day."_s, u"Write to"_s, u", or see"_s};

// The post as a forum shows it: HTML as it came (editors that keep HTML), BBCode and
// Markdown rendered.
QString renderPost(QString message) {
    if (message.contains(u"<p") || message.contains(u"<br") || message.contains(u"<a ")) {
        return message;
    }
    message.replace(QRegularExpression(uR"(<((?:https?|mailto):[^>\s]+)>)"_s),
                    u"[url=\\1]\\1[/url]"_s);
    message.replace(QRegularExpression(uR"(\[([^\]]*)\]\(([^)\s]+)\))"_s), u"[url=\\2]\\1[/url]"_s);
    message.replace(QRegularExpression(u"\\\\\n"_s), u"\n"_s);  // a Markdown hard break
    QString html = message.toHtmlEscaped();
    html.replace(
        QRegularExpression(uR"(\[(?:url|link|email)=([^\]]+)\](.*?)\[/(?:url|link|email)\])"_s),
        uR"(<a href="\1" class="postlink">\2</a>)"_s);
    html.replace(QRegularExpression(uR"(\[b\](.*?)\[/b\])"_s), u"<strong>\\1</strong>"_s);
    html.replace(QRegularExpression(u"\r\n|\r|\n"_s), u"<br>"_s);
    return html;
}

// Whether the post holds target as a link in any markup an editor writes: HTML, BBCode or
// Markdown.
bool holdsLink(const QString& post, const QString& target) {
    const QString address = target.startsWith(u"mailto:"_s) ? target.mid(7) : target;
    QStringList forms;
    for (const QString& t : {target, QString(target).replace(u"&"_s, u"&amp;"_s)}) {
        forms << u"href=\""_s + t + u'"' << u"href='"_s + t + u'\'' << u"[url="_s + t + u']'
              << u"]("_s + t + u')' << u'<' + t + u'>';
    }
    forms << u"[email="_s + address + u']' << u"[email]"_s + address + u"[/email]"_s;
    for (const QString& form : forms) {
        if (post.contains(form)) return true;
    }
    return false;
}

// The phrases of the message in order, with any escapes of HTML or Markdown undone and white
// space collapsed; empty when all are there, else the first one missing.
QString firstMissingPhrase(QString post) {
    post.replace(QRegularExpression(u"<[^>]*>"_s), u" "_s)
        .replace(u"&nbsp;"_s, u" "_s)
        .replace(u"\\"_s, QString());
    post = post.simplified();
    qsizetype from = 0;
    for (const QString& phrase : kPhrases) {
        const qsizetype at = post.indexOf(phrase, from);
        if (at < 0) return phrase;
        from = at + phrase.size();
    }
    return {};
}

QByteArray threadPage(const QString& post) {
    return u"<!DOCTYPE html><html><head><title>Welcome - Test Board</title></head><body>"
           "<h2>Welcome</h2><div class=\"post\"><p class=\"author\">by admin</p>"
           "<div class=\"content\">Welcome to the board.</div></div>"
           "<div class=\"post\" id=\"p2\"><p class=\"author\">by fred</p>"
           "<div class=\"content\">%1</div></div>"
           "<a href=\"/posting.php?mode=reply&amp;t=1\">Post Reply</a></body></html>"_s.arg(post)
               .toUtf8();
}

// Status texts are not looked at here.
class RecordingStatus final : public StatusPanels {
public:
    void setPanelText(int, const std::string&) override {}
};

QString normalizedBreaks(QString text) {
    return text.replace(u"\r\n"_s, u"\n"_s);
}

}  // namespace

class EditorInsertTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void insertSubmitAndWatch_data();
    void insertSubmitAndWatch();
    void threadWithoutThePostIsNotWatched();
    void messageGoesToTheBoxShownLast();
    void postSentByScriptIsWatchedOnce_data();
    void postSentByScriptIsWatchedOnce();
    void previewOfTheComposerWatchesNothing();
    void markdownComposerAsksBeforeTags();
    void editorThatDropsLinksIsReported();
    void linkWithinTheForumIsKept();

private:
    std::optional<ForumServer::Reply> answer(const ForumServer::Request& request);
    QVariant js(const QString& script);
    bool openForum(const QString& page);
    std::optional<InsertResult> insert(const QString& format,
                                       const std::string& message = kMessage);
    // A captured page of a forum on 127.0.0.1:capturedPort, as if this server were that forum.
    ForumServer::Reply captured(const QString& file, const QByteArray& capturedPort,
                                const QByteArray& contentType = "text/html; charset=utf-8");
    // The captured NodeBB topic with its composer opened over it, as composer.js opens it.
    bool openNodeBBComposer(bool focus);

    std::unique_ptr<ForumServer> server_;
    QString postField_ = u"message"_s;  // the field the forum reads the post from
    bool showPost_ = true;
    QString lastPost_;

    QTemporaryDir dir_;
    RecordingStatus status_;
    std::unique_ptr<BrowserPanel> panel_;
    QStringList watched_;
};

void EditorInsertTest::initTestCase() {
    MessageBox::setRecording(true);
    QVERIFY(dir_.isValid());
    const QString editors = QStringLiteral(BOARDCAST_EDITORS_DIR);
    QVERIFY2(
        QFile::exists(editors + u"/tinymce/tinymce.min.js"_s),
        qPrintable(u"The editors' npm packages are missing in %1; `make test` installs them."_s.arg(
            editors)));
    server_ = std::make_unique<ForumServer>(editors, QStringLiteral(BOARDCAST_FORUM_PAGES_DIR));
    server_->setHandler([this](const ForumServer::Request& r) { return answer(r); });
}

ForumServer::Reply EditorInsertTest::captured(const QString& file, const QByteArray& capturedPort,
                                              const QByteArray& contentType) {
    QFile page(file.startsWith(u'/') ? file
                                     : QStringLiteral(BOARDCAST_FORUM_PAGES_DIR) + u'/' + file);
    if (!page.open(QIODevice::ReadOnly)) return {"404 Not Found", "text/plain", file.toUtf8(), {}};
    QByteArray body = page.readAll();
    body.replace("http://127.0.0.1:" + capturedPort, server_->url(QString()).toUtf8());
    body.replace("http:\\/\\/127.0.0.1:" + capturedPort,
                 server_->url(QString()).toUtf8().replace("/", "\\/"));
    return {"200 OK", contentType, body, {}};
}

std::optional<ForumServer::Reply> EditorInsertTest::answer(const ForumServer::Request& r) {
    const QByteArray path = r.path();
    // The pages captured from MyBB 1.8 and NodeBB 4.11, their scripts and their answers.
    if (path == "/showthread.php") return captured(u"mybb_showthread.html"_s, "8081");
    // MyBB 1.8.37 ships jQuery 3.5.1 minified, as npm has it.
    if (path == "/jscripts/jquery.js") {
        return captured(QStringLiteral(BOARDCAST_EDITORS_DIR "/jquery-mybb/dist/jquery.min.js"),
                        "8081", "application/javascript");
    }
    if (path.startsWith("/jscripts/")) {
        return captured(u"mybb_jscripts/"_s + QString::fromUtf8(path.mid(10)), "8081",
                        "application/javascript");
    }
    if (path == "/newreply.php") {
        return captured(u"mybb_quick_reply_response.html"_s, "8081",
                        "application/json; charset=UTF-8");
    }
    if (path == "/topic/7/thread-d") return captured(u"nodebb_topic.html"_s, "4567");
    if (path == "/api/v3/topics/7") {
        return captured(u"nodebb_reply_response.json"_s, "4567", "application/json; charset=utf-8");
    }
    if (r.method == "POST") {
        lastPost_ = r.field(postField_);
        if (path == "/posts.json") {
            return ForumServer::Reply{
                "200 OK", "application/json", R"({"post_url": "/t/welcome-to-discourse/1/2"})", {}};
        }
        if (path.startsWith("/threads/")) {
            return ForumServer::Reply{
                "200 OK",
                "application/json",
                R"({"status": "ok", "redirect": "/threads/welcome.1/post-2"})",
                {}};
        }
        return ForumServer::redirect("/viewtopic.php?t=1&p=2#p2");
    }
    if (path == "/viewtopic.php" || path.startsWith("/t/") || path.startsWith("/threads/")) {
        return ForumServer::html(
            threadPage(showPost_ ? renderPost(lastPost_)
                                 : u"Your post has been submitted and awaits approval."_s));
    }
    return std::nullopt;
}

void EditorInsertTest::init() {
    BrowserPanel::Services services;
    services.scanRecordPath = joinPath(toStdString(dir_.path()), "htmltemp.txt");
    services.pasteText = [](int) { return std::string(); };
    services.watchCurrentPage = [this](const SeenPost& seen) {
        watched_.append(toQString(seen.address.empty() ? panel_->currentAddress() : seen.address));
    };
    panel_ = std::make_unique<BrowserPanel>(status_, std::move(services));
    panel_->resize(1000, 800);
    panel_->show();
    QVERIFY(QTest::qWaitForWindowExposed(panel_.get()));
}

void EditorInsertTest::cleanup() {
    panel_.reset();
    MessageBox::clearRecorded();
    watched_.clear();
    postField_ = u"message"_s;
    showPost_ = true;
    lastPost_.clear();
}

QVariant EditorInsertTest::js(const QString& script) {
    auto result = std::make_shared<std::optional<QVariant>>();
    panel_->webEngine().view()->page()->runJavaScript(script,
                                                      [result](const QVariant& v) { *result = v; });
    if (!QTest::qWaitFor([&] { return result->has_value(); }, kTimeoutMs)) return {};
    return **result;
}

// Opens a page of the fixture forum and waits until its editor is set up.
bool EditorInsertTest::openForum(const QString& page) {
    QSignalSpy loaded(panel_->webEngine().view(), &QWebEngineView::loadFinished);
    panel_->navigate(toStdString(server_->url(u"/forum/"_s + page)));
    if (!loaded.wait(kTimeoutMs)) return false;
    return QTest::qWaitFor(
        [&] { return js(u"document.documentElement.dataset.ready === '1'"_s).toBool(); },
        kTimeoutMs);
}

// Auto-insert as the main window starts it, with the format chooser on format.
std::optional<InsertResult> EditorInsertTest::insert(const QString& format,
                                                     const std::string& message) {
    InsertConversion converted = convertForInsert(message, toStdString(format), defaultTemplates());
    InsertRequest request{std::move(converted.text), std::move(converted.link), message};
    auto result = std::make_shared<std::optional<InsertResult>>();
    panel_->autoInsert().autoInsertMessage(std::move(request),
                                           [result](InsertResult r) { *result = std::move(r); });
    if (!QTest::qWaitFor([&] { return result->has_value(); }, kTimeoutMs)) return std::nullopt;
    return *result;
}

// ---------------------------------------------------------------------------------------

void EditorInsertTest::insertSubmitAndWatch_data() {
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("field");   // what the forum reads the post from
    QTest::addColumn<QString>("submit");  // the page's own send button
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("thread");  // the thread's address after posting
    QTest::addColumn<bool>("rich");       // the editor gets the rendered message

    const QString topic = server_->url(u"/viewtopic.php?t=1&p=2#p2"_s);
    // A plain text area, and an editor in its own BBCode source view, get the text as the
    // chosen format converts it.
    QTest::newRow("phpBB 3.3, plain text area, ubb")
        << u"phpbb3.html"_s << u"ubb"_s << u"message"_s << u"[name=post]"_s << u"field"_s << topic
        << false;
    QTest::newRow("MyBB, SCEditor in BBCode, source view, ubb")
        << u"mybb_sceditor.html?source=1"_s << u"ubb"_s << u"message"_s
        << u"form[name=input] [name=submit]"_s << u"sceditor"_s << topic << false;
    QTest::newRow("Discourse, Markdown composer outside any form, text")
        << u"discourse.html"_s << u"text"_s << u"raw"_s << u".save-or-cancel .create"_s
        << u"composer"_s << server_->url(u"/t/welcome-to-discourse/1/2"_s) << false;

    // Editors of rendered text get the links as links, whatever the format.
    struct Editor {
        const char* name;
        QString page, field, submit, how, thread;
    };
    const QString xenForoThread = server_->url(u"/threads/welcome.1/post-2"_s);
    const Editor editors[] = {
        {"MyBB, SCEditor in BBCode, WYSIWYG", u"mybb_sceditor.html"_s, u"message"_s,
         u"form[name=input] [name=submit]"_s, u"sceditor"_s, topic},
        {"SMF, SCEditor in HTML", u"smf_sceditor.html?format=xhtml"_s, u"message"_s,
         u"[name=post]"_s, u"sceditor"_s, topic},
        {"SMF, SCEditor in HTML, source view", u"smf_sceditor.html?format=xhtml&source=1"_s,
         u"message"_s, u"[name=post]"_s, u"sceditor"_s, topic},
        {"TinyMCE 6", u"community.html?editor=tinymce"_s, u"message"_s, u"[name=post]"_s,
         u"tinymce"_s, topic},
        {"CKEditor 4", u"community.html?editor=ckeditor4"_s, u"message"_s, u"[name=post]"_s,
         u"ckeditor4"_s, topic},
        {"CKEditor 5 classic", u"community.html?editor=ckeditor5"_s, u"message"_s, u"[name=post]"_s,
         u"ckeditor5"_s, topic},
        {"Quill", u"community.html?editor=quill"_s, u"message"_s, u"[name=post]"_s, u"quill"_s,
         topic},
        {"vBulletin 3, design-mode frame", u"vbulletin3.html"_s, u"message"_s,
         u"#vB_Editor_001_save"_s, u"designmode"_s, topic},
        {"XenForo 2, content-editable with a hidden twin", u"xenforo2.html"_s, u"message_html"_s,
         u".button--icon--reply"_s, u"contenteditable"_s, xenForoThread},
        {"XenForo 2, Froala", u"xenforo2_froala.html"_s, u"message_html"_s,
         u".button--icon--reply"_s, u"contenteditable"_s, xenForoThread},
        {"Discourse, ProseMirror composer outside any form", u"discourse_rich.html"_s, u"raw"_s,
         u".save-or-cancel .create"_s, u"contenteditable"_s,
         server_->url(u"/t/welcome-to-discourse/1/2"_s)},
    };
    for (const Editor& e : editors) {
        for (const QString& format : {u"ubb"_s, u"html"_s, u"text"_s}) {
            QTest::newRow(qPrintable(QString::fromUtf8(e.name) + u", "_s + format))
                << e.page << format << e.field << e.submit << e.how << e.thread << true;
        }
    }
}

void EditorInsertTest::insertSubmitAndWatch() {
    QFETCH(QString, page);
    QFETCH(QString, format);
    QFETCH(QString, field);
    QFETCH(QString, submit);
    QFETCH(QString, how);
    QFETCH(QString, thread);
    QFETCH(bool, rich);
    postField_ = field;
    QVERIFY(openForum(page));
    const qsizetype postsBefore = server_->posts().size();

    // The message replaces what the editor held, such as an earlier, longer draft.
    QVERIFY(insert(format,
                   "An older draft about winter sales, longer than the message that "
                   "replaces it, with a link to http://old.example/ in it.\r\n"));
    const std::optional<InsertResult> result = insert(format);
    QVERIFY(result);
    QVERIFY(result->written);
    QVERIFY2(!result->differs(), lossReport(*result).c_str());
    QCOMPARE(toQString(result->how), how);
    QCOMPARE(panel_->autoInsert().postCheckCountdown(), AutoInsert::kPostChecks);

    js(u"document.querySelector(%1).click()"_s.arg(
        QString::fromUtf8(QJsonDocument(QJsonArray{submit}).toJson(QJsonDocument::Compact))
            .mid(1)
            .chopped(1)));
    QTRY_COMPARE_WITH_TIMEOUT(server_->posts().size(), postsBefore + 1, kTimeoutMs);
    const ForumServer::Request posted = server_->posts().last();
    const QString received = normalizedBreaks(posted.field(field));
    QVERIFY2(!received.contains(u"winter"_s), qPrintable(received));
    if (rich) {
        for (const QString& target : kTargets) {
            QVERIFY2(holdsLink(received, target), qPrintable(target + u" in: "_s + received));
        }
        const QString missing = firstMissingPhrase(received);
        QVERIFY2(missing.isEmpty(), qPrintable(missing + u" in: "_s + received));
    } else {
        const QString converted = normalizedBreaks(
            toQString(outgoingText(kMessage, toStdString(format), defaultTemplates())));
        QCOMPARE(received.trimmed(), converted.trimmed());
    }
    // Nothing of the message went anywhere else.
    for (const auto& [name, value] : posted.fields()) {
        if (name == field) continue;
        QVERIFY2(!value.contains(u"shop.example"_s) && !value.contains(u"Fresh deals"_s),
                 qPrintable(name + u" = "_s + value));
    }

    // The forum shows the thread with the post rendered: watched once.
    QTRY_COMPARE_WITH_TIMEOUT(watched_.size(), 1, kTimeoutMs);
    QCOMPARE(watched_.front(), thread);
    QVERIFY(MessageBox::recorded().isEmpty());
    QSignalSpy loaded(panel_->webEngine().view(), &QWebEngineView::loadFinished);
    panel_->webEngine().refresh();
    QVERIFY(loaded.wait(kTimeoutMs));
    js(u"0"_s);
    QCOMPARE(watched_.size(), 1);
}

void EditorInsertTest::threadWithoutThePostIsNotWatched() {
    showPost_ = false;
    QVERIFY(openForum(u"community.html?editor=tinymce"_s));
    const std::optional<InsertResult> result = insert(u"html"_s);
    QVERIFY(result && result->written);
    QSignalSpy loaded(panel_->webEngine().view(), &QWebEngineView::loadFinished);
    js(u"document.querySelector('[name=post]').click()"_s);
    // The post's answer, then the thread page it redirects to.
    QVERIFY(loaded.wait(kTimeoutMs));
    QTRY_VERIFY_WITH_TIMEOUT(js(u"document.body.innerText"_s).toString().contains(u"approval"_s),
                             kTimeoutMs);
    js(u"0"_s);
    QVERIFY(watched_.isEmpty());
    QVERIFY(panel_->autoInsert().postCheckCountdown() < AutoInsert::kPostChecks);
}

// A message box that a script shows after the page came (a composer opened over it) is the
// one the user works in: the message goes there, not into the page's own box.
void EditorInsertTest::messageGoesToTheBoxShownLast() {
    QVERIFY(openForum(u"discourse.html"_s));
    js(u"document.activeElement.blur();"
       "var second = document.createElement('div'); second.contentEditable = 'true';"
       "second.id = 'opened'; second.style.minHeight = '40px';"
       "document.getElementById('main-outlet').append(second); 0"_s);
    std::optional<InsertResult> result;
    panel_->autoInsertMessage({outgoingText(kMessage, "text", defaultTemplates()), {}, kMessage},
                              [&result](const InsertResult& r) { result = r; });
    QTRY_VERIFY_WITH_TIMEOUT(result.has_value(), kTimeoutMs);
    QVERIFY(result->written);
    QVERIFY(
        js(u"document.getElementById('opened').innerText"_s).toString().contains(u"Fresh deals"_s));
    QCOMPARE(js(u"document.querySelector('.d-editor-input').value"_s).toString(), QString());
}

// The message the captured posts hold.
const std::string kThanks = "Thanks, the rake from the second link works well.";

QString jsonString(const QString& text) {
    return QString::fromUtf8(QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact))
        .mid(1)
        .chopped(1);
}

QString fixture(const QString& file) {
    QFile f(QStringLiteral(BOARDCAST_FORUM_PAGES_DIR) + u'/' + file);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

bool EditorInsertTest::openNodeBBComposer(bool focus) {
    QSignalSpy loaded(panel_->webEngine().view(), &QWebEngineView::loadFinished);
    panel_->navigate(toStdString(server_->url(u"/topic/7/thread-d"_s)));
    if (!loaded.wait(kTimeoutMs)) return false;
    // composer.js appends the composer to the body, and focuses its text area 20 ms later.
    js(u"document.body.insertAdjacentHTML('beforeend', %1);"
       "if (%2) setTimeout(function () {"
       "  document.querySelector('[component=composer] textarea.write').focus(); }, 20); 0"_s.arg(
           jsonString(fixture(u"nodebb_composer.html"_s)), focus ? u"true"_s : u"false"_s));
    return QTest::qWaitFor(
        [&] {
            return js(u"!!document.querySelector('[component=composer]') && (!%1 || "
                      "document.activeElement.classList.contains('write'))"_s.arg(
                          focus ? u"true"_s : u"false"_s))
                .toBool();
        },
        kTimeoutMs);
}

// A post that the page sends by script and then shows without loading: MyBB's Quick Reply
// (its own thread.js, and MyBB's answer) and NodeBB's composer (its request and the post as
// its client inserts it). The thread is watched once, under its canonical address.
void EditorInsertTest::postSentByScriptIsWatchedOnce_data() {
    QTest::addColumn<QString>("engine");
    QTest::addColumn<bool>("focus");  // the user clicked into the box; else it opened last
    QTest::newRow("MyBB quick reply, clicked into") << u"mybb"_s << true;
    QTest::newRow("NodeBB composer, focused") << u"nodebb"_s << true;
    QTest::newRow("NodeBB composer, opened last") << u"nodebb"_s << false;
}

void EditorInsertTest::postSentByScriptIsWatchedOnce() {
    QFETCH(QString, engine);
    QFETCH(bool, focus);
    const bool mybb = engine == u"mybb";
    if (mybb) {
        QSignalSpy loaded(panel_->webEngine().view(), &QWebEngineView::loadFinished);
        panel_->navigate(toStdString(server_->url(u"/showthread.php?tid=1"_s)));
        QVERIFY(loaded.wait(kTimeoutMs));
        QTRY_VERIFY_WITH_TIMEOUT(js(u"typeof Thread === 'object'"_s).toBool(), kTimeoutMs);
        js(u"document.getElementById('message').focus(); 0"_s);
    } else {
        QVERIFY(openNodeBBComposer(focus));
    }
    const std::optional<InsertResult> result = insert(u"text"_s, kThanks);
    QVERIFY(result && result->written);
    const QString box = mybb ? u"#message"_s : u"[component=composer] textarea.write"_s;
    QVERIFY(js(u"document.querySelector('%1').value"_s.arg(box))
                .toString()
                .startsWith(toQString(kThanks)));
    if (!mybb) {
        // The quick-reply box beneath the composer was left alone.
        QCOMPARE(js(u"document.querySelector('[component=\"topic/quickreply/text\"]').value"_s)
                     .toString(),
                 QString());
    }
    const qsizetype postsBefore = server_->posts().size();
    if (mybb) {
        js(u"document.getElementById('quick_reply_submit').click(); 0"_s);
    } else {
        // The composer's submit: the post goes as JSON; the server sends it back over
        // socket.io, and the client appends it, removes the composer and writes the post's
        // index into the address.
        js(uR"((function () {
            var c = document.querySelector('[component=composer]');
            fetch('/api/v3/topics/7', {method: 'POST',
                headers: {'content-type': 'application/json; charset=utf-8'},
                body: JSON.stringify({uuid: c.dataset.uuid, tid: '7', handle: '',
                    content: c.querySelector('textarea.write').value, toPid: null})})
            .then(function (r) { return r.json(); }).then(function () {
                c.remove();
                document.querySelector('ul[component=topic]').insertAdjacentHTML('beforeend', %1);
                history.replaceState(null, '', '/topic/7/thread-d/4');
            });
        })(); 0)"_s.arg(jsonString(fixture(u"nodebb_new_post.html"_s))));
    }
    QTRY_COMPARE_WITH_TIMEOUT(server_->posts().size(), postsBefore + 1, kTimeoutMs);
    const ForumServer::Request posted = server_->posts().last();
    QVERIFY2(posted.body.contains(mybb ? "rake+from" : "rake from"), posted.body.constData());

    QTRY_COMPARE_WITH_TIMEOUT(watched_.size(), 1, kTimeoutMs);
    QCOMPARE(watched_.front(), mybb ? server_->url(u"/showthread.php?tid=1"_s)
                                    : server_->url(u"/topic/7/thread-d"_s));
    QTest::qWait(500);
    QCOMPARE(watched_.size(), 1);
    QVERIFY(MessageBox::recorded().isEmpty());
}

// The composer's preview shows the message as the forum will; nothing was posted.
void EditorInsertTest::previewOfTheComposerWatchesNothing() {
    QVERIFY(openNodeBBComposer(true));
    const std::optional<InsertResult> result = insert(u"text"_s, kThanks);
    QVERIFY(result && result->written);
    js(u"document.querySelector('[component=composer] .preview').innerHTML ="
       "  '<p dir=\"auto\">' + %1 + '</p>'; 0"_s.arg(jsonString(toQString(kThanks))));
    QTest::qWait(1000);
    QVERIFY(watched_.isEmpty());
    QCOMPARE(panel_->autoInsert().postCheckCountdown(), AutoInsert::kPostChecks);
}

// NodeBB's composer writes Markdown: BBCode tags would show as text, so the user is asked.
void EditorInsertTest::markdownComposerAsksBeforeTags() {
    QVERIFY(openNodeBBComposer(true));
    int asked = 0;
    panel_->autoInsert().setMarkdownQuestion([&asked](std::function<void(MarkdownAnswer)> answer) {
        ++asked;
        answer(MarkdownAnswer::InsertAsText);
    });
    const TemplateTable templates = defaultTemplates();
    for (const char* format : {"ubb", "text"}) {
        auto result = std::make_shared<std::optional<InsertResult>>();
        InsertConversion converted = convertForInsert(kMessage, format, templates);
        panel_->autoInsert().autoInsertMessage(
            {std::move(converted.text), std::move(converted.link), kMessage,
             std::move(converted.asText)},
            [result](InsertResult r) { *result = std::move(r); });
        QTRY_VERIFY_WITH_TIMEOUT(result->has_value(), kTimeoutMs);
        QVERIFY(result->value().written);
        const QString held =
            js(u"document.querySelector('[component=composer] textarea.write').value"_s).toString();
        QVERIFY2(!held.contains(u"[url"_s) && held.contains(u"https://shop.example"_s),
                 qPrintable(held));
    }
    QCOMPARE(asked, 1);  // "text" went in without asking
}

// An editor that turns links into text: the read-back finds them gone, says which, and the
// post is not looked for.
void EditorInsertTest::editorThatDropsLinksIsReported() {
    QVERIFY(openForum(u"lossy_editor.html"_s));
    const TemplateTable templates = defaultTemplates();
    // Pressed twice: the first write is overtaken and only the second is reported.
    for (int press = 0; press < 2; ++press) {
        panel_->autoInsertMessage(
            {outgoingText(kMessage, "ubb", templates), LinkOpening{"[url="}, kMessage});
    }
    QTRY_COMPARE_WITH_TIMEOUT(MessageBox::recorded().size(), 1, kTimeoutMs);
    QTest::qWait(4000);  // the first write's read-back would have ended by now
    QCOMPARE(MessageBox::recorded().size(), 1);
    const auto box = MessageBox::recorded().front();
    QCOMPARE(box.title, u"Auto-Insert Error"_s);
    for (const QString& target : kTargets)
        QVERIFY2(box.text.contains(target), qPrintable(box.text));
    QVERIFY(!box.text.contains(u"Words it did not keep"_s));
    QVERIFY(js(u"document.querySelector('.editor').textContent"_s)
                .toString()
                .contains(u"Fresh deals"_s));
    QCOMPARE(panel_->autoInsert().postCheckCountdown(), 0);
}

// TinyMCE writes a link to its own site as a relative one; the read-back follows it.
void EditorInsertTest::linkWithinTheForumIsKept() {
    QVERIFY(openForum(u"community.html?editor=tinymce"_s));
    const std::string earlier = toStdString(server_->url(u"/viewtopic.php?t=5"_s));
    const std::optional<InsertResult> result =
        insert(u"ubb"_s, "As I said in " + earlier + " before.");
    QVERIFY(result && result->written);
    QVERIFY2(!result->differs(), lossReport(*result).c_str());
    QCOMPARE(panel_->autoInsert().postCheckCountdown(), AutoInsert::kPostChecks);
}

}  // namespace boardcast

QTEST_MAIN(boardcast::EditorInsertTest)
#include "editor_insert_test.moc"
