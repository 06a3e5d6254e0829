// The page probe driven through QtProbeSocket against real servers on 127.0.0.1: scripted
// in-process servers for the awkward cases, and nginx for plain and TLS traffic.

#include "platform/qt_probe_socket.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <zlib.h>

#include <QDateTime>
#include <QTcpServer>

#include "core/watching/watch_lists.h"
#include "local_servers.h"
#include "net/cookie_jar.h"
#include "net/page_probe.h"
#include "platform/watching_service.h"

namespace boardcast {
namespace {

constexpr int kTimeoutMs = 1500;
constexpr int kWaitMs = 5000;  // for an outcome that should come at once

using Exchange = ScriptedServer::Exchange;

// Panel 2's texts through a successful exchange, repeats folded.
const std::vector<std::string> kPhases = {"Connecting to the web server", "Sending request",
                                          "Request completed", "Receiving response"};

std::string local(const std::string& path) {
    return "http://127.0.0.1" + path;
}

class RecordingPanels final : public StatusPanels {
public:
    void setPanelText(int panel, const std::string& text) override {
        texts[panel] = text;
        if (panel == 2 && (phases.empty() || phases.back() != text)) phases.push_back(text);
    }
    std::string text(int panel) const {
        auto it = texts.find(panel);
        return it == texts.end() ? "(never set)" : it->second;
    }
    std::map<int, std::string> texts;
    std::vector<std::string> phases;  // panel 2, repeats folded
};

class RecordingClient final : public MeasurementClient {
public:
    void onMeasured(const MeasuredPage& page) override {
        measured.push_back(page.bodyBytes);
        titles.push_back(page.title);
        if (next) next();
    }
    void onMeasureFailed(const MeasureFailure& failure) override {
        failures.push_back(failure.reason);
        if (next) next();
    }
    std::size_t outcomes() const { return measured.size() + failures.size(); }
    std::string failureText() const {
        std::string all;
        for (const std::string& f : failures) all += "[" + f + "] ";
        return all;
    }

    std::vector<std::int64_t> measured;
    std::vector<std::string> titles;
    std::vector<std::string> failures;
    std::function<void()> next;  // runs inside the callback, as the reply check's next step does
};

// One probe on its own adapter, with its recorders.
struct ProbeRig {
    explicit ProbeRig(ProbePorts ports, ProbeLimits limits = {.silenceMs = kTimeoutMs})
        : probe(socket, panels, ports, limits) {
        probe.setClient(&client);
    }
    // Starts url and waits until its outcome is reported.
    bool measure(const std::string& url, int waitMs = kWaitMs) {
        const std::size_t before = client.outcomes();
        probe.start(url);
        return waitFor([&] { return client.outcomes() > before; }, waitMs);
    }

    QtProbeSocket socket;  // declared first: the probe uses it until it is gone
    RecordingPanels panels;
    RecordingClient client;
    PageProbe probe;
};

// ---------------------------------------------------------------------------------------
// The adapter's own guarantees, seen without the probe.

class RecordingEvents final : public SocketEvents {
public:
    void onConnected() override { ++connected; }
    void onSendProgress() override { ++progress; }
    void onSendComplete() override { ++complete; }
    void onDataArrival(std::string_view bytes) override {
        received += static_cast<std::int64_t>(bytes.size());
    }
    void onClosedByServer() override { ++closed; }
    void onError(const std::string& text) override {
        ++errors;
        error = text;
    }
    void onTimeout() override { ++timeouts; }

    int connected = 0, progress = 0, complete = 0, closed = 0, errors = 0, timeouts = 0;
    std::int64_t received = 0;
    std::string error;
};

TEST(QtProbeSocket, EachConnectionEndsWithExactlyOneEvent) {
    ScriptedServer server(ScriptedServer::answerWithSize);
    QtProbeSocket socket;
    RecordingEvents events;
    socket.setEvents(&events);

    socket.connect("127.0.0.1", server.port(), false);
    ASSERT_TRUE(waitFor([&] { return events.connected == 1; }));
    socket.send("GET /n/5000 HTTP/1.1\r\n\r\n");
    ASSERT_TRUE(waitFor([&] { return events.closed + events.errors > 0; })) << events.received;
    runFor(100);
    EXPECT_EQ(events.progress, 1);
    EXPECT_EQ(events.complete, 1);
    EXPECT_EQ(events.closed, 1);
    EXPECT_EQ(events.errors, 0) << events.error;
    const QByteArray header = "HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\n";
    EXPECT_EQ(events.received, header.size() + 5000);

    // A refused connection ends with one error, and the same adapter carries on.
    events = RecordingEvents();
    socket.connect("127.0.0.1", freePort(), false);
    ASSERT_TRUE(waitFor([&] { return events.closed + events.errors > 0; }));
    runFor(100);
    EXPECT_EQ(events.errors, 1);
    EXPECT_EQ(events.closed, 0);
    EXPECT_EQ(events.connected, 0);
    EXPECT_NE(events.error.find("refused"), std::string::npos) << events.error;
}

TEST(QtProbeSocket, AClosedConnectionStaysSilentWhileTheTimerRunsOn) {
    ScriptedServer server([](ScriptedServer&, Exchange& e) {
        ScriptedServer::play(e.socket, {"HTTP/1.1 200 OK\r\n\r\n", body(100), body(100)});
    });
    QtProbeSocket socket;
    RecordingEvents events;
    socket.setEvents(&events);
    socket.connect("127.0.0.1", server.port(), false);
    ASSERT_TRUE(waitFor([&] { return events.connected == 1; }));
    socket.send("GET / HTTP/1.1\r\n\r\n");
    ASSERT_TRUE(waitFor([&] { return events.received > 0; }));

    socket.startIdleTimer(100);
    socket.close();
    const std::int64_t receivedAtClose = events.received;
    ASSERT_TRUE(waitFor([&] { return events.timeouts == 1; }));
    ASSERT_TRUE(waitFor([&] {
        return server.exchanges()[0]->socket->state() == QAbstractSocket::UnconnectedState;
    }));
    runFor(150);
    EXPECT_EQ(events.timeouts, 1);  // single shot
    EXPECT_EQ(events.received, receivedAtClose);
    EXPECT_EQ(events.closed + events.errors, 0);

    // stopIdleTimer() cancels a running timer.
    socket.startIdleTimer(50);
    socket.stopIdleTimer();
    runFor(150);
    EXPECT_EQ(events.timeouts, 1);
}

// ---------------------------------------------------------------------------------------
// The probe against scripted servers.

TEST(ProbeOverQtSocket, SendsTheRequestAndReportsEachPhase) {
    ScriptedServer server([](ScriptedServer&, Exchange& e) {
        ScriptedServer::play(e.socket, {"HTTP/1.1 200 OK\r\n\r\nhello"});
    });
    ProbeRig rig({.http = server.port()});
    ASSERT_TRUE(rig.measure(local("/x?y=1")));

    ASSERT_EQ(server.exchanges().size(), 1u);
    EXPECT_EQ(server.exchanges()[0]->request,
              QByteArray::fromStdString(requestText(parseProbeUrl("http://127.0.0.1/x?y=1"))));
    EXPECT_EQ(rig.client.measured, std::vector<std::int64_t>{5}) << rig.client.failureText();
    EXPECT_EQ(rig.panels.phases, kPhases);
}

TEST(ProbeOverQtSocket, CountsTheBodyHoweverTheResponseArrives) {
    struct Case {
        const char* name;
        QList<QByteArray> pieces;
        std::int64_t bodyBytes;
        std::int32_t contentLength;
        std::string panel3;
        bool close = true;
    };
    constexpr std::int64_t kAllBytes = -1;
    const Case cases[] = {
        {"header split inside a line and inside the blank line",
         {"HTTP/1.1 200 OK\r\nConte", "nt-Length: 10\r\n\r", "\n0123456789"},
         10,
         10,
         ""},
        {"Content-Length reached while the server keeps the connection open",
         {"HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n01234", "56789"},
         10,
         10,
         "",
         false},
        {"no Content-Length, body in a later piece",
         {"HTTP/1.1 200 OK\r\nServer: t\r\n\r\n", body(300)},
         300,
         0,
         "Downloaded 300 bytes"},
        {"percentage of 3.5 rounds to even",
         {"HTTP/1.1 200 OK\r\nX-Content-Length: 200\r\n\r\n", "12345", "67"},
         7,
         200,
         "Downloaded 7 from 200 (4%)"},
        {"closed before the header ends: every byte counts",
         {"HTTP/1.1 200 OK\r\nX-Note: hal", "f a header\r\n"},
         kAllBytes,
         0,
         ""},
        {"closed without a byte", {}, 0, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedServer server([&](ScriptedServer&, Exchange& e) {
            ScriptedServer::play(e.socket, c.pieces, c.close);
        });
        std::int64_t expected = c.bodyBytes;
        if (expected == kAllBytes) {
            expected = 0;
            for (const QByteArray& piece : c.pieces) expected += piece.size();
        }
        ProbeRig rig({.http = server.port()});
        ASSERT_TRUE(rig.measure(local("/page")));
        EXPECT_EQ(rig.client.measured, std::vector<std::int64_t>{expected})
            << rig.client.failureText();
        EXPECT_EQ(rig.probe.bodyBytes(), expected);
        EXPECT_EQ(rig.probe.contentLength(), c.contentLength);
        EXPECT_EQ(rig.panels.text(3), c.panel3);
    }
}

TEST(ProbeOverQtSocket, GivesUpOnAServerThatFallsSilent) {
    constexpr int kShortTimeoutMs = 700;
    struct Case {
        const char* name;
        QList<QByteArray> pieces;
    };
    const Case cases[] = {
        {"accepts and never answers", {}},
        {"stops inside the header", {"HTTP/1.1 200 OK\r\nContent-Len"}},
        {"stops inside the body", {"HTTP/1.1 200 OK\r\nContent-Length: 50\r\n\r\n", body(10)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedServer server(
            [&](ScriptedServer&, Exchange& e) { ScriptedServer::play(e.socket, c.pieces, false); });
        ProbeRig rig({.http = server.port()}, {.silenceMs = kShortTimeoutMs});
        QElapsedTimer clock;
        clock.start();
        ASSERT_TRUE(rig.measure(local("/slow")));
        // Coarse timers may fire a little early.
        EXPECT_GE(clock.elapsed(), kShortTimeoutMs * 9 / 10);
        EXPECT_TRUE(rig.client.measured.empty());
        ASSERT_EQ(rig.client.failures.size(), 1u);
        EXPECT_EQ(rig.panels.text(2),
                  "Could not reach " + local("/slow") + ": " + rig.client.failures[0]);
        // The probe dropped the connection it gave up on.
        EXPECT_TRUE(waitFor([&] {
            return server.exchanges()[0]->socket->state() == QAbstractSocket::UnconnectedState;
        }));
    }
}

TEST(ProbeOverQtSocket, FailsOnARefusedConnection) {
    ProbeRig rig({.http = freePort()});
    ASSERT_TRUE(rig.measure(local("/x")));
    EXPECT_TRUE(rig.client.measured.empty());
    ASSERT_EQ(rig.client.failures.size(), 1u);
    EXPECT_NE(rig.client.failures[0].find("refused"), std::string::npos) << rig.client.failures[0];
    EXPECT_EQ(rig.panels.text(2), "Could not reach " + local("/x") + ": " + rig.client.failures[0]);
    runFor(100);
    EXPECT_EQ(rig.client.outcomes(), 1u);
}

TEST(ProbeOverQtSocket, TwoProbesRunSideBySide) {
    // The server answers only once both requests are in, so neither probe can finish alone.
    ScriptedServer server([](ScriptedServer& s, Exchange&) {
        if (s.exchanges().size() < 2) return;
        for (auto& e : s.exchanges()) {
            if (!e->answered) return;
        }
        for (auto& e : s.exchanges()) ScriptedServer::answerWithSize(s, *e);
    });
    ProbeRig a({.http = server.port()});
    ProbeRig b({.http = server.port()});
    a.probe.start(local("/n/3000"));
    b.probe.start(local("/n/7000"));
    ASSERT_TRUE(waitFor([&] { return a.client.outcomes() == 1 && b.client.outcomes() == 1; }));
    EXPECT_EQ(a.client.measured, std::vector<std::int64_t>{3000}) << a.client.failureText();
    EXPECT_EQ(b.client.measured, std::vector<std::int64_t>{7000}) << b.client.failureText();
    EXPECT_EQ(a.probe.contentLength(), 3000);
    EXPECT_EQ(b.probe.contentLength(), 7000);
}

TEST(ProbeOverQtSocket, ANewStartDropsTheExchangeStillReceiving) {
    ScriptedServer server([](ScriptedServer&, Exchange& e) {
        if (e.path() == "/first") {
            ScriptedServer::play(e.socket, {"HTTP/1.1 200 OK\r\n\r\n" + body(100)}, false);
        } else {
            ScriptedServer::play(e.socket, {"HTTP/1.1 200 OK\r\n\r\n", body(150), body(100)});
        }
    });
    ProbeRig rig({.http = server.port()});
    rig.probe.start(local("/first"));
    ASSERT_TRUE(waitFor([&] { return rig.probe.bodyBytes() == 100; }));
    QTcpSocket* first = server.exchanges()[0]->socket;

    rig.probe.start(local("/second"));
    first->write(body(1000));  // the dropped exchange carries on; none of it may count
    ASSERT_TRUE(waitFor([&] { return rig.client.outcomes() > 0; }));
    runFor(100);
    EXPECT_EQ(rig.client.measured, std::vector<std::int64_t>{250}) << rig.client.failureText();
    EXPECT_TRUE(rig.client.failures.empty());
    // Only the probe's side can have closed the first connection.
    EXPECT_TRUE(waitFor([&] { return first->state() == QAbstractSocket::UnconnectedState; }));
}

TEST(ProbeOverQtSocket, TheClientMayStartTheNextMeasurementFromItsCallback) {
    ScriptedServer server(ScriptedServer::answerWithSize);
    ProbeRig rig({.http = server.port()});
    std::vector<std::string> queue = {"/n/200", "/n/0", "/n/300"};
    rig.client.next = [&] {
        if (queue.empty()) return;
        const std::string path = queue.front();
        queue.erase(queue.begin());
        rig.probe.start(local(path));
    };
    rig.probe.start(local("/n/100"));
    ASSERT_TRUE(waitFor([&] { return rig.client.outcomes() == 4; }));
    EXPECT_EQ(rig.client.measured, (std::vector<std::int64_t>{100, 200, 0, 300}))
        << rig.client.failureText();
}

TEST(ProbeOverQtSocket, AnEndlessBodyStopsAtTheCapInFlatMemory) {
    ScriptedServer server([](ScriptedServer&, Exchange& e) {
        e.socket->write("HTTP/1.1 200 OK\r\n\r\n");
        ScriptedServer::stream(e.socket, qint64(1) << 30);
    });
    ProbeRig rig({.http = server.port()});
    const std::int64_t before = residentKb();
    std::int64_t peak = before;
    rig.probe.start(local("/huge"));
    ASSERT_TRUE(waitFor(
        [&] {
            peak = std::max(peak, residentKb());
            return rig.client.outcomes() > 0;
        },
        45000))
        << "received " << rig.probe.bodyBytes();
    EXPECT_EQ(rig.client.failures, std::vector<std::string>{"page too large"});
    EXPECT_GT(rig.probe.bodyBytes(), std::int64_t{64} << 20);
#ifndef __SANITIZE_ADDRESS__
    // AddressSanitizer holds freed blocks back for a while, so resident memory says nothing.
    EXPECT_LT(peak - before, 64 * 1024)
        << "resident memory grew from " << before << " kB to " << peak << " kB";
#endif
}

// A server that breaks off mid-body leaves no size behind; one that drips a byte at a time
// cannot hold the probe past the page's deadline.
TEST(ProbeOverQtSocket, ResetsAndDripsAreFailures) {
    ScriptedServer server([](ScriptedServer&, Exchange& e) {
        if (e.path() == "/reset") {
            e.socket->write("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n" + body(300));
            QTimer::singleShot(100, e.socket, [socket = e.socket] { socket->abort(); });
            return;
        }
        e.socket->write("HTTP/1.1 200 OK\r\n\r\n");
        auto* drip = new QTimer(e.socket);
        QObject::connect(drip, &QTimer::timeout, e.socket,
                         [socket = e.socket] { socket->write("x"); });
        drip->start(100);
    });
    ProbeRig reset({.http = server.port()});
    ASSERT_TRUE(reset.measure(local("/reset")));
    EXPECT_TRUE(reset.client.measured.empty());
    EXPECT_EQ(reset.client.failures.size(), 1u);

    ProbeRig drip({.http = server.port()}, {.silenceMs = 700, .pageMs = 1500});
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(drip.measure(local("/drip")));
    EXPECT_GE(clock.elapsed(), 1400);
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_EQ(drip.client.failures,
              std::vector<std::string>{"the page took longer than 1500 milliseconds"});
}

// The port in the address is where the probe connects; redirections are followed to the
// final page, across ports.
TEST(ProbeOverQtSocket, PortsAndRedirections) {
    ScriptedServer target(ScriptedServer::answerWithSize);
    const std::string final = "http://127.0.0.1:" + std::to_string(target.port()) + "/n/1234";
    ScriptedServer mover([&](ScriptedServer&, Exchange& e) {
        const QByteArray location =
            e.path() == "/old" ? "/older" : QByteArray::fromStdString(final);
        ScriptedServer::play(e.socket, {"HTTP/1.1 301 Moved Permanently\r\nLocation: " + location +
                                        "\r\nContent-Length: 3\r\n\r\nbye"});
    });
    ProbeRig rig({.http = freePort()});  // nothing listens on the default port
    const std::string start = "http://127.0.0.1:" + std::to_string(mover.port()) + "/old#p7";
    ASSERT_TRUE(rig.measure(start));
    EXPECT_EQ(rig.client.measured, std::vector<std::int64_t>{1234}) << rig.client.failureText();
    EXPECT_EQ(rig.probe.redirects(), 2);
    ASSERT_EQ(mover.exchanges().size(), 2u);
    EXPECT_EQ(mover.exchanges()[0]->request,
              QByteArray::fromStdString(requestText(
                  parseProbeUrl("http://127.0.0.1:" + std::to_string(mover.port()) + "/old"))));
    EXPECT_EQ(mover.exchanges()[1]->path(), "/older");
    EXPECT_EQ(target.exchanges().size(), 1u);
}

// ---------------------------------------------------------------------------------------
// Asking as the browser does: identity, cookies, kept connections, compression.

// An HTTP/1.1 server that keeps each connection open and answers every request on it in
// turn; it counts the connections it took and keeps each request.
class KeptServer final : public QObject {
public:
    using Answer = std::function<QByteArray(const QByteArray& request)>;
    explicit KeptServer(Answer answer) : answer_(std::move(answer)), server_(new QTcpServer(this)) {
        connect(server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server_->nextPendingConnection()) {
                ++connections;
                auto answered = std::make_shared<int>(0);
                auto buffer = std::make_shared<QByteArray>();
                connect(socket, &QTcpSocket::readyRead, socket, [=, this] {
                    *buffer += socket->readAll();
                    for (qsizetype end; (end = buffer->indexOf("\r\n\r\n")) >= 0;) {
                        const QByteArray request = buffer->left(end + 4);
                        buffer->remove(0, end + 4);
                        requests << request;
                        socket->write(answer_(request));
                        // A server may close a kept connection whenever it likes.
                        if (closeAfter > 0 && ++*answered == closeAfter) {
                            socket->disconnectFromHost();
                            return;
                        }
                    }
                });
            }
        });
        server_->listen(QHostAddress::LocalHost, 0);
    }
    std::uint16_t port() const { return server_->serverPort(); }
    std::string url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port()) + path;
    }

    int connections = 0;
    int closeAfter = 0;  // > 0: each connection ends after this many answers
    QList<QByteArray> requests;

private:
    Answer answer_;
    QTcpServer* server_;
};

QByteArray answer(const QByteArray& body, const QByteArray& headers = {}) {
    return "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n" +
           headers + "\r\n" + body;
}

QByteArray gzipped(const QByteArray& data) {
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(static_cast<qsizetype>(deflateBound(&z, static_cast<uLong>(data.size()))) + 32,
                   '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(static_cast<qsizetype>(z.total_out));
    deflateEnd(&z);
    return out;
}

QByteArray headerOf(const QByteArray& request, const QByteArray& name) {
    for (const QByteArray& line : request.split('\n')) {
        if (line.toLower().startsWith(name.toLower() + ":"))
            return line.mid(name.size() + 1).trimmed();
    }
    return {};
}

TEST(ProbeAsTheBrowser, SendsItsIdentityAndTheHostsCookies) {
    KeptServer server([](const QByteArray& request) {
        return request.startsWith("GET /login")
                   ? answer("in", "Set-Cookie: fresh=1; Path=/; Max-Age=3600\r\n")
                   : answer("page");
    });
    const std::int64_t now = QDateTime::currentSecsSinceEpoch();
    CookieJar jar;
    auto cookie = [](std::string name, std::string domain, std::string path, bool secure,
                     std::optional<std::int64_t> expires) {
        Cookie c;
        c.name = std::move(name);
        c.value = "v";
        c.domain = std::move(domain);
        c.path = std::move(path);
        c.secure = secure;
        c.expires = expires;
        return c;
    };
    jar.set(cookie("sid", "127.0.0.1", "/forum", false, std::nullopt), now);
    jar.set(cookie("elsewhere", "forum.example", "/", false, std::nullopt), now);
    jar.set(cookie("onlytls", "127.0.0.1", "/", true, std::nullopt), now);
    jar.set(cookie("otherpath", "127.0.0.1", "/wiki", false, now + 3600), now);
    RequestIdentity browser{"TestBrowser/1.0", "text/html", "de-DE,de;q=0.9"};
    ProbeRig rig({});
    rig.probe.setIdentity(browser);
    rig.probe.setCookieJar(&jar);
    ASSERT_TRUE(rig.measure(server.url("/forum/t/1")));
    ASSERT_TRUE(rig.measure(server.url("/login")));
    ASSERT_TRUE(rig.measure(server.url("/forum/t/2")));
    ASSERT_EQ(server.requests.size(), 3);
    EXPECT_EQ(headerOf(server.requests[0], "User-Agent"), "TestBrowser/1.0");
    EXPECT_EQ(headerOf(server.requests[0], "Accept-Language"), "de-DE,de;q=0.9");
    EXPECT_EQ(headerOf(server.requests[0], "Cookie"), "sid=v");
    // The cookie the forum set during the check goes with its next page.
    EXPECT_EQ(headerOf(server.requests[2], "Cookie"), "sid=v; fresh=1");
    // As a guest: no cookie at all.
    rig.probe.setCookieJar(nullptr);
    ASSERT_TRUE(rig.measure(server.url("/forum/t/3")));
    EXPECT_EQ(headerOf(server.requests.last(), "Cookie"), QByteArray());
}

TEST(ProbeAsTheBrowser, KeepsConnectionsAndLosesNoPageWhenTheServerClosesOne) {
    for (const int closeAfter : {0, 3}) {
        KeptServer server([](const QByteArray&) { return answer(QByteArray(500, 'x')); });
        server.closeAfter = closeAfter;
        ProbeRig rig({});
        for (int page = 0; page < 20; ++page) {
            ASSERT_TRUE(rig.measure(server.url("/t/" + std::to_string(page)))) << closeAfter;
            // Now and then the server closes the kept connection while it lies idle.
            if (closeAfter > 0) runFor(page % 2 ? 30 : 0);
        }
        EXPECT_EQ(rig.client.measured, std::vector<std::int64_t>(20, 500))
            << rig.client.failureText();
        EXPECT_EQ(server.connections, closeAfter == 0 ? 1 : 7) << closeAfter;
    }
}

TEST(ProbeAsTheBrowser, TwentyPagesOfOneForumGoOverAtMostSixConnections) {
    KeptServer server([](const QByteArray&) { return answer("<title>T</title>page"); });
    RecordingPanels panels;
    WatchingService service(panels, panels, 8, 6);
    WatchList posts;
    for (int i = 0; i < 20; ++i) posts.append(server.url("/t/" + std::to_string(i)), "1");
    bool done = false;
    service.check().start(posts, [&done] { done = true; });
    ASSERT_TRUE(waitFor([&] { return done; }, 20000));
    EXPECT_EQ(server.requests.size(), 20);
    EXPECT_LE(server.connections, 6);
    EXPECT_TRUE(service.check().failures().empty());
}

TEST(ProbeAsTheBrowser, CompressedPagesMeasureAsTheyAreUncompressed) {
    const QByteArray page = QByteArray("<html><title>Thread</title>") + QByteArray(30000, 'p');
    KeptServer server([&page](const QByteArray& request) {
        if (request.startsWith("GET /plain")) return answer(page);
        if (request.startsWith("GET /bomb")) {
            return answer(gzipped(QByteArray(200000, '\0')), "Content-Encoding: gzip\r\n");
        }
        return answer(gzipped(page), "Content-Encoding: gzip\r\n");
    });
    ProbeRig rig({}, {.silenceMs = kTimeoutMs, .maxBodyBytes = 100000});
    ASSERT_TRUE(rig.measure(server.url("/plain")));
    ASSERT_TRUE(rig.measure(server.url("/gzip")));
    ASSERT_TRUE(rig.measure(server.url("/bomb")));
    EXPECT_EQ(rig.client.measured, (std::vector<std::int64_t>{page.size(), page.size()}))
        << rig.client.failureText();
    EXPECT_EQ(rig.client.titles.back(), "Thread");
    EXPECT_EQ(rig.client.failures, std::vector<std::string>{"page too large"});
}

// ---------------------------------------------------------------------------------------
// The probe against nginx, over http and https.

// One nginx for the whole suite. The process trusts two of its certificates.
class ProbeAgainstNginx : public testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!LocalNginx::installed()) return;
        nginx_ = std::make_unique<LocalNginx>();
        setupError_ = nginx_->start();
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        for (const QString& name : {QStringLiteral("trusted"), QStringLiteral("othername")}) {
            tls.addCaCertificates(QSslCertificate::fromPath(nginx_->certificate(name)));
        }
        QSslConfiguration::setDefaultConfiguration(tls);
    }
    static void TearDownTestSuite() { nginx_.reset(); }
    void SetUp() override {
        if (!LocalNginx::installed()) GTEST_SKIP() << "nginx is not installed";
        ASSERT_EQ(setupError_, "");
    }

    static std::int64_t servedSize() { return QFileInfo(nginx_->servedFile()).size(); }

    static inline std::unique_ptr<LocalNginx> nginx_;
    static inline std::string setupError_;
};

TEST_F(ProbeAgainstNginx, AppendedBytesShowAsTheDifference) {
    ProbeRig rig({.http = nginx_->httpPort});
    const std::string url = local("/file");
    ASSERT_TRUE(rig.measure(url));
    ASSERT_EQ(rig.client.measured.size(), 1u) << rig.client.failureText();
    EXPECT_EQ(rig.client.measured[0], servedSize());
    EXPECT_EQ(rig.probe.contentLength(), servedSize());

    QFile file(nginx_->servedFile());
    ASSERT_TRUE(file.open(QIODevice::Append));
    ASSERT_EQ(file.write(body(501)), 501);
    file.close();

    ASSERT_TRUE(rig.measure(url));
    ASSERT_EQ(rig.client.measured.size(), 2u) << rig.client.failureText();
    EXPECT_EQ(rig.client.measured[1] - rig.client.measured[0], 501);
    EXPECT_EQ(rig.client.measured[1], servedSize());
}

TEST_F(ProbeAgainstNginx, RedirectionsToAnotherPathAndToHttps) {
    for (const char* path : {"/moved", "/secure"}) {
        SCOPED_TRACE(path);
        ProbeRig rig({.http = nginx_->httpPort});
        ASSERT_TRUE(rig.measure(local(path)));
        EXPECT_EQ(rig.client.measured, std::vector<std::int64_t>{servedSize()})
            << rig.client.failureText();
        EXPECT_EQ(rig.probe.redirects(), 1);
    }
}

TEST_F(ProbeAgainstNginx, HttpsWithATrustedCertificateCountsTheSameBody) {
    ProbeRig rig({.https = nginx_->trustedPort});
    ASSERT_TRUE(rig.measure("https://localhost/file"));
    EXPECT_EQ(rig.client.measured, std::vector<std::int64_t>{servedSize()})
        << rig.client.failureText();
    EXPECT_EQ(rig.probe.contentLength(), servedSize());
    // The handshake's own traffic must not pass for the request going out.
    EXPECT_EQ(rig.panels.phases, kPhases);
}

TEST_F(ProbeAgainstNginx, HttpsRefusesACertificateItCannotVerify) {
    struct Case {
        const char* name;
        std::string url;
        std::uint16_t port;
    };
    const Case cases[] = {
        {"self-signed and not trusted", "https://localhost/file", nginx_->untrustedPort},
        {"trusted, but for another name", "https://127.0.0.1/file", nginx_->otherNamePort},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProbeRig rig({.https = c.port});
        ASSERT_TRUE(rig.measure(c.url));
        EXPECT_TRUE(rig.client.measured.empty());
        ASSERT_EQ(rig.client.failures.size(), 1u);
        EXPECT_NE(rig.client.failures[0].find("certificate"), std::string::npos)
            << rig.client.failures[0];
        EXPECT_EQ(rig.panels.text(2), "Could not reach " + c.url + ": " + rig.client.failures[0]);
    }
}

}  // namespace
}  // namespace boardcast
