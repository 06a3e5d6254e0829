// The channel by which a second start reaches the open program: what a real second start
// sends arrives whole and in order, and what another local program might send is held to
// the two requests and their limits.

#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <future>

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
    auto sent = std::async(std::launch::async, [&] { return InstanceChannel::handOver(folder, addresses); });
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
        << QByteArray("open javascript:alert(1)\nopen data:text/html,x\nopen qrc:/home/index.html\n"
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
        << QByteArray("raise\nopen http://a/" + QByteArray(40000, 'z')) << QStringList{} << 1 << true;
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
    QCOMPARE(QFileInfo(path).permissions() & (QFile::ReadOther | QFile::WriteOther | QFile::ReadGroup |
                                              QFile::WriteGroup),
             QFileDevice::Permissions());
    // The folder by another spelling (a trailing "/.", a link) finds the same program.
    QCOMPARE(InstanceChannel::socketPath(data_.path().toStdString() + "/."), path);
    const QString link = runtime_.filePath(QStringLiteral("link"));
    QVERIFY(QFile::link(data_.path(), link));
    QCOMPARE(InstanceChannel::socketPath(link.toStdString()), path);
}

QTEST_GUILESS_MAIN(InstanceChannelTest)
#include "instance_channel_test.moc"
