// The browser profile remembers what a desktop browser remembers: a login cookie with an
// expiry and local storage survive closing and starting the program again, a session
// cookie does not. Each start is a process of its own (this program run with --visit),
// which opens one address on the profile in a folder and quits as the program does.

#include <QApplication>
#include <QDir>
#include <QHostAddress>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include <cstdio>
#include <memory>

#include "platform/browser_profile.h"
#include "platform/qt_strings.h"
#include "platform/webengine_browser.h"

using namespace boardcast;
using namespace Qt::StringLiterals;

namespace {

constexpr int kTimeoutMs = 60000;

// The program's part in a child process: open the address on the profile kept in folder,
// print the page's title when it has loaded, and end, the browser before its profile.
int visit(const QString& address, const QString& folder) {
    BrowserProfile profile(toStdString(folder + u"/browser"_s),
                           toStdString(folder + u"/browser-cache"_s));
    auto browser = std::make_unique<WebEngineBrowser>();
    QSignalSpy loaded(browser->view(), &QWebEngineView::loadFinished);
    browser->navigate(toStdString(address));
    if (!loaded.wait(kTimeoutMs)) return 3;
    // The page's scripts set the title from local storage as it loads.
    QTest::qWait(200);
    std::printf("%s\n", browser->locationName().c_str());
    browser.reset();
    return 0;
}

// /login sets a cookie that lasts a day, a session cookie and a value in local storage;
// /check shows the stored value as its title. Every request's Cookie header is kept.
class CookieServer final : public QObject {
public:
    CookieServer() {
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { answer(socket); });
            }
        });
        server_.listen(QHostAddress::LocalHost, 0);
    }
    QString url(const QString& path) const {
        return u"http://127.0.0.1:%1%2"_s.arg(server_.serverPort()).arg(path);
    }
    QByteArray cookiesOf(const QByteArray& path) const { return cookies_.value(path); }

private:
    void answer(QTcpSocket* socket) {
        QByteArray& request = pending_[socket];
        request += socket->readAll();
        if (!request.contains("\r\n\r\n")) return;
        const QByteArray path = request.split(' ').value(1);
        cookies_[path].clear();
        for (const QByteArray& line : request.split('\n')) {
            if (line.toLower().startsWith("cookie:")) cookies_[path] = line.mid(7).trimmed();
        }
        QByteArray head = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nConnection: close\r\n";
        QByteArray body;
        if (path == "/login") {
            head +=
                "Set-Cookie: forum_login=abc123; Max-Age=86400; Path=/; HttpOnly\r\n"
                "Set-Cookie: forum_session=temporary; Path=/\r\n";
            body =
                "<html><head><title>login</title><script>"
                "localStorage.setItem('draft', 'kept');</script></head><body>in</body></html>";
        } else {
            body =
                "<html><head><script>document.title = localStorage.getItem('draft') || 'none';"
                "</script></head><body>check</body></html>";
        }
        socket->write(head + "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" +
                      body);
        socket->disconnectFromHost();
    }

    QTcpServer server_;
    QHash<QTcpSocket*, QByteArray> pending_;
    QHash<QByteArray, QByteArray> cookies_;
};

}  // namespace

class BrowserProfileTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void loginSurvivesARestart() {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        CookieServer server;
        QCOMPARE(runVisit(server.url(u"/login"_s), folder.path()), u"login"_s);
        QCOMPARE(runVisit(server.url(u"/check"_s), folder.path()), u"kept"_s);
        const QByteArray sent = server.cookiesOf("/check");
        QVERIFY2(sent.contains("forum_login=abc123"), sent.constData());
        QVERIFY2(!sent.contains("forum_session"), sent.constData());
        QVERIFY(QDir(folder.path() + u"/browser"_s).exists());

        // Another folder is another browser: nothing carries over.
        QTemporaryDir other;
        QCOMPARE(runVisit(server.url(u"/check"_s), other.path()), u"none"_s);
        QCOMPARE(server.cookiesOf("/check"), QByteArray());
    }

    // Every browser made while a profile is in effect uses it, pop-ups with their opener.
    void browsersShareTheActiveProfile() {
        QTemporaryDir folder;
        auto profile = std::make_unique<BrowserProfile>(toStdString(folder.path() + u"/b"_s),
                                                        toStdString(folder.path() + u"/c"_s));
        QVERIFY(!profile->profile()->isOffTheRecord());
        QCOMPARE(profile->profile()->persistentCookiesPolicy(),
                 QWebEngineProfile::AllowPersistentCookies);
        QCOMPARE(profile->profile()->httpCacheType(), QWebEngineProfile::DiskHttpCache);
        QCOMPARE(profile->profile()->cachePath(), folder.path() + u"/c"_s);
        {
            WebEngineBrowser first, second;
            QCOMPARE(first.profile(), profile->profile());
            QCOMPARE(second.profile(), profile->profile());
        }
        profile.reset();
        WebEngineBrowser plain;
        QCOMPARE(plain.profile(), QWebEngineProfile::defaultProfile());
    }

private:
    QString runVisit(const QString& address, const QString& folder) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {u"--visit"_s, address, folder});
        // The server answers on this process's event loop, which must keep running.
        const bool ended =
            QTest::qWaitFor([&] { return child.state() == QProcess::NotRunning; }, kTimeoutMs);
        if (!ended || child.exitCode() != 0) {
            qWarning() << "visit failed:" << child.exitCode() << child.readAllStandardError();
            return {};
        }
        return QString::fromUtf8(child.readAllStandardOutput()).trimmed();
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 4 && args[1] == u"--visit") return visit(args[2], args[3]);
    BrowserProfileTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "browser_profile_test.moc"
