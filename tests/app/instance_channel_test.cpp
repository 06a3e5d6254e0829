// The channel by which a second start reaches the open program: what a real second start
// sends arrives whole and in order, and what another local program might send is held to
// the two requests and their limits.

#include <QFileInfo>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <future>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <cstring>
#include <functional>

#include "app/instance_channel.h"

using namespace boardcast;

class InstanceChannelTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void secondStartHandsOverInOrder();
    void rawRequestsAreHeldToTheirLimits_data();
    void rawRequestsAreHeldToTheirLimits();
    void onlyTheOwnerCanConnectAndSpellingsAgree();
    void theSocketFolderIsNeverShared();
    void aFreshAccountListens();
    void anotherUserIsRefusedAtBothEnds();

private:
    // Runs the blocking hand-over beside the event loop that serves it.
    bool handOverWhileServing(const std::vector<std::string>& addresses);

    QTemporaryDir runtime_;
    QTemporaryDir data_;
};

void InstanceChannelTest::init() {
    QVERIFY(runtime_.isValid() && data_.isValid());
    QFile::setPermissions(runtime_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtime_.path().toLocal8Bit());
}

bool InstanceChannelTest::handOverWhileServing(const std::vector<std::string>& addresses) {
    const std::string folder = data_.path().toStdString();
    auto sent = std::async(std::launch::async,
                           [&] { return InstanceChannel::handOver(folder, addresses); });
    while (sent.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    // What was written may still be on its way to the server's socket.
    for (int i = 0; i < 10; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return sent.get();
}

void InstanceChannelTest::secondStartHandsOverInOrder() {
    QVERIFY(!handOverWhileServing({"http://a/"}));  // nobody listens yet

    InstanceChannel channel(data_.path().toStdString());
    QVERIFY(channel.listen().ok());
    QSignalSpy raised(&channel, &InstanceChannel::raiseRequested);
    QSignalSpy opened(&channel, &InstanceChannel::openRequested);

    std::vector<std::string> addresses{"http://f.example/t?a=1&b=2", "FILE:///tmp/page.html",
                                       "https://f.example/caf\xc3\xa9 page"};
    // A long request goes out in more than one piece.
    addresses.push_back("https://f.example/" + std::string(12000, 'x'));
    QVERIFY(handOverWhileServing(addresses));
    QTRY_COMPARE(opened.size(), 4);
    QCOMPARE(raised.size(), 1);
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(opened[i][0].toString(), QString::fromUtf8(addresses[i]));
    }

    // A crashed program's socket is replaced by the next one's.
    InstanceChannel next(data_.path().toStdString());
    QVERIFY(next.listen().ok());
}

void InstanceChannelTest::rawRequestsAreHeldToTheirLimits_data() {
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QStringList>("opened");
    QTest::addColumn<int>("raised");
    QTest::addColumn<bool>("cutOff");

    QTest::newRow("scripts and other schemes are not opened")
        << QByteArray(
               "open javascript:alert(1)\nopen data:text/html,x\nopen qrc:/home/index.html\n"
               "open http://ok/\n")
        << QStringList{QStringLiteral("http://ok/")} << 0 << false;
    QTest::newRow("unknown requests are ignored")
        << QByteArray("quit\nraise now\nRAISE\nopen\nraise\n") << QStringList{} << 1 << false;
    QTest::newRow("a control character in an address")
        << QByteArray("open http://a/\rb\nopen http://a/\x01\n") << QStringList{} << 0 << false;
    QByteArray many;
    QStringList first;
    for (int i = 0; i < 40; ++i) {
        many += "open http://a/" + QByteArray::number(i) + '\n';
        if (i < InstanceChannel::kMaxAddresses) first << QStringLiteral("http://a/%1").arg(i);
    }
    QTest::newRow("at most 32 addresses a connection") << many << first << 0 << false;
    QTest::newRow("a line too long ends the connection")
        << QByteArray("open http://a/" + QByteArray(20000, 'y') + "\nopen http://b/\n")
        << QStringList{} << 0 << true;
    QTest::newRow("a line that never ends ends the connection")
        << QByteArray("raise\nopen http://a/" + QByteArray(40000, 'z')) << QStringList{} << 1
        << true;
}

void InstanceChannelTest::rawRequestsAreHeldToTheirLimits() {
    QFETCH(QByteArray, sent);
    QFETCH(QStringList, opened);
    QFETCH(int, raised);
    QFETCH(bool, cutOff);

    InstanceChannel channel(data_.path().toStdString());
    QVERIFY(channel.listen().ok());
    QSignalSpy raiseSpy(&channel, &InstanceChannel::raiseRequested);
    QSignalSpy openSpy(&channel, &InstanceChannel::openRequested);
    QLocalSocket peer;
    peer.connectToServer(InstanceChannel::socketPath(data_.path().toStdString()));
    QVERIFY(peer.waitForConnected(2000));
    QSignalSpy disconnected(&peer, &QLocalSocket::disconnected);
    peer.write(sent);
    if (cutOff) {
        QVERIFY(disconnected.wait(5000));
    } else {
        // The server answers nothing; give it time to read everything.
        QTRY_COMPARE_WITH_TIMEOUT(openSpy.size() + raiseSpy.size(), opened.size() + raised, 5000);
        QTest::qWait(100);
        QCOMPARE(peer.state(), QLocalSocket::ConnectedState);
    }
    QStringList got;
    for (const QList<QVariant>& call : openSpy) got << call[0].toString();
    QCOMPARE(got, opened);
    QCOMPARE(raiseSpy.size(), raised);
}

void InstanceChannelTest::onlyTheOwnerCanConnectAndSpellingsAgree() {
    InstanceChannel channel(data_.path().toStdString());
    QVERIFY(channel.listen().ok());
    const QString path = InstanceChannel::socketPath(data_.path().toStdString());
    QVERIFY(path.startsWith(runtime_.path() + u'/'));
    QCOMPARE(QFileInfo(path).permissions() &
                 (QFile::ReadOther | QFile::WriteOther | QFile::ReadGroup | QFile::WriteGroup),
             QFileDevice::Permissions());
    // The folder by another spelling (a trailing "/.", a link) finds the same program.
    QCOMPARE(InstanceChannel::socketPath(data_.path().toStdString() + "/."), path);
    const QString link = runtime_.filePath(QStringLiteral("link"));
    QVERIFY(QFile::link(data_.path(), link));
    QCOMPARE(InstanceChannel::socketPath(link.toStdString()), path);
}

// A runtime folder that is not this user's alone is passed over for a private one under
// the cache folder, made for the purpose; one that cannot be made so leaves no socket.
void InstanceChannelTest::theSocketFolderIsNeverShared() {
    QTemporaryDir cache, open;
    QFile::setPermissions(open.path(), QFile::permissions(open.path()) | QFile::ReadOther |
                                           QFile::WriteOther | QFile::ExeOther);
    qputenv("XDG_CACHE_HOME", cache.path().toLocal8Bit());
    const std::string folder = data_.path().toStdString();
    for (const QByteArray& runtime : {open.path().toLocal8Bit(), QByteArray()}) {
        qputenv("XDG_RUNTIME_DIR", runtime);
        const QString path = InstanceChannel::socketPath(folder);
        QVERIFY2(path.startsWith(cache.path() + QStringLiteral("/boardcast/")), qPrintable(path));
        struct stat st {};
        QCOMPARE(
            ::stat(QFile::encodeName(cache.path() + QStringLiteral("/boardcast")).constData(), &st),
            0);
        QCOMPARE(st.st_mode & 0777, 0700u);
    }
    // Someone made the cache's folder first, open to all: no socket rather than theirs.
    QDir(cache.path()).rmdir(QStringLiteral("boardcast"));
    QVERIFY(QDir(cache.path()).mkdir(QStringLiteral("boardcast")));
    QFile::setPermissions(cache.path() + QStringLiteral("/boardcast"),
                          QFile::permissions(open.path()));
    QCOMPARE(InstanceChannel::socketPath(folder), QString());
    InstanceChannel channel(folder);
    const Status listening = channel.listen();
    QVERIFY(!listening);
    QVERIFY(QString::fromStdString(listening.error().text)
                .contains(QStringLiteral("open to other users")));
    QVERIFY(!InstanceChannel::handOver(folder, {}));
}

// A new account has no ~/.cache yet, or a cache folder set to one whose parents are missing:
// the socket folder is made with them, and a second start hands its address over.
void InstanceChannelTest::aFreshAccountListens() {
    QTemporaryDir home;
    qunsetenv("XDG_RUNTIME_DIR");
    const QByteArray savedHome = qgetenv("HOME");
    qputenv("HOME", home.path().toLocal8Bit());
    for (const QString& cache : {QString(), home.path() + QStringLiteral("/x/y/cache")}) {
        if (cache.isEmpty()) {
            qunsetenv("XDG_CACHE_HOME");
        } else {
            qputenv("XDG_CACHE_HOME", cache.toLocal8Bit());
        }
        InstanceChannel channel(data_.path().toStdString());
        const Status listening = channel.listen();
        QVERIFY2(listening.ok(), listening ? "" : listening.error().text.c_str());
        QSignalSpy opened(&channel, &InstanceChannel::openRequested);
        QVERIFY(handOverWhileServing({"http://a.example/"}));
        QTRY_COMPARE(opened.size(), 1);
    }
    QVERIFY(QFileInfo(home.path() + QStringLiteral("/.cache/boardcast")).isDir());
    qputenv("HOME", savedHome);
    qunsetenv("XDG_CACHE_HOME");
}

// As root, a child that runs as "nobody" plays the other user: the program refuses its
// requests, and a second start does not hand its addresses to it.
void InstanceChannelTest::anotherUserIsRefusedAtBothEnds() {
    if (::geteuid() != 0) QSKIP("needs root to run a peer as another user");
    QTemporaryDir shared;  // a socket anyone could reach, were it not for the peer check
    QFile::setPermissions(shared.path(), QFileDevice::Permissions(0x7777));
    const QString path = shared.filePath(QStringLiteral("s"));
    auto asNobody = [](const std::function<void()>& work) {
        const pid_t child = ::fork();
        if (child == 0) {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(2);
            work();
            ::_exit(0);
        }
        return child;
    };
    auto connectTo = [&path](int fd) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.toLocal8Bit().constData(), sizeof address.sun_path - 1);
        return ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    };

    InstanceChannel channel(path, nullptr);
    QSignalSpy raised(&channel, &InstanceChannel::raiseRequested);
    QVERIFY(channel.listen().ok());
    QFile::setPermissions(path, QFileDevice::Permissions(0x7777));
    const pid_t writer = asNobody([&] {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (connectTo(fd) != 0) ::_exit(3);
        const char request[] = "raise\nopen http://example.com/\n";
        (void)!::write(fd, request, sizeof request - 1);
        ::sleep(1);
    });
    QTRY_COMPARE(channel.refused(), 1);
    int status = 0;
    ::waitpid(writer, &status, 0);
    QCOMPARE(WEXITSTATUS(status), 0);
    QCOMPARE(raised.size(), 0);

    // The other user listens where a second start looks: it is not told the addresses.
    QFile::remove(path);
    const pid_t listener = asNobody([&] {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        ::unlink(path.toLocal8Bit().constData());
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.toLocal8Bit().constData(), sizeof address.sun_path - 1);
        if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) ::_exit(3);
        ::chmod(path.toLocal8Bit().constData(), 0777);
        ::listen(fd, 1);
        const int peer = ::accept(fd, nullptr, nullptr);
        char bytes[64];
        ::_exit(::read(peer, bytes, sizeof bytes) > 0 ? 4 : 0);  // 4: it heard something
    });
    QTRY_VERIFY(QFileInfo::exists(path));
    QVERIFY(!InstanceChannel::handOverTo(path, {"http://127.0.0.1/private?token=abc123"}));
    ::waitpid(listener, &status, 0);
    QCOMPARE(WEXITSTATUS(status), 0);
}

QTEST_GUILESS_MAIN(InstanceChannelTest)
#include "instance_channel_test.moc"
