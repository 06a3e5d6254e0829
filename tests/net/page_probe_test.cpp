#include "net/page_probe.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace boardcast {
namespace {

struct FakeSocket : Socket {
    SocketEvents* events = nullptr;
    std::vector<std::string> calls;  // "connect host:port[ tls]", "send ...", "close"
    int timerMs = -1;                // -1: stopped

    void setEvents(SocketEvents* e) override { events = e; }
    void connect(const std::string& host, std::uint16_t port, bool tls) override {
        calls.push_back("connect " + host + ":" + std::to_string(port) + (tls ? " tls" : ""));
    }
    void send(std::string_view bytes) override { calls.push_back("send " + std::string(bytes)); }
    void close() override { calls.push_back("close"); }
    void startIdleTimer(int ms) override { timerMs = ms; }
    void stopIdleTimer() override { timerMs = -1; }
};

struct Panels : StatusPanels {
    std::map<int, std::vector<std::string>> texts;
    void setPanelText(int panel, const std::string& text) override { texts[panel].push_back(text); }
    std::string last(int panel) const {
        auto it = texts.find(panel);
        return it == texts.end() || it->second.empty() ? "<none>" : it->second.back();
    }
};

struct Client : MeasurementClient {
    std::vector<std::string> outcomes;
    std::string title;
    void onMeasured(const MeasuredPage& page) override {
        outcomes.push_back(std::to_string(page.bodyBytes));
        title = page.title;
    }
    void onMeasureFailed(const MeasureFailure& failure) override {
        outcomes.push_back("failed: " + failure.reason);
    }
};

class Probe : public testing::Test {
protected:
    Probe() { probe.setClient(&client); }

    void connectAndSend(const std::string& url = "http://h/") {
        probe.start(url);
        probe.onConnected();
        probe.onSendProgress();
        probe.onSendComplete();
    }

    // Feeds the response in the given pieces, then closes; returns the outcome.
    std::vector<std::string> exchange(const std::vector<std::string_view>& pieces,
                                      const std::string& url = "http://h/") {
        connectAndSend(url);
        client.outcomes.clear();
        for (std::string_view piece : pieces) probe.onDataArrival(piece);
        probe.onClosedByServer();
        return client.outcomes;
    }

    FakeSocket socket;
    Panels panels;
    Client client;
    std::int64_t nowMs = 1000;
    PageProbe probe{socket, panels, ProbePorts{80, 443}, ProbeLimits{}, [this] { return nowMs; }};
};

TEST(ProbeUrl, Parsing) {
    struct Row {
        std::string url, host, path;
        bool tls;
        std::string connectHost;
        int port;  // 0: the scheme's
    };
    const Row rows[] = {
        {"http://h/forum/view?id=7#last", "h", "/forum/view?id=7", false, "h", 0},
        {"http://h/t/5#post-9", "h", "/t/5", false, "h", 0},
        {"http://h", "h", "/", false, "h", 0},
        {"h", "h", "/", false, "h", 0},
        {"http://h:8080/x", "h:8080", "/x", false, "h", 8080},
        {"https://h:8443", "h:8443", "/", true, "h", 8443},
        {"http://[::1]:8080/x", "[::1]:8080", "/x", false, "::1", 8080},
        {"http://[::1]/x", "[::1]", "/x", false, "::1", 0},
        {"http://h:abc/x", "h:abc", "/x", false, "h:abc", 0},
        {"http://h:0/x", "h:0", "/x", false, "h:0", 0},
        {"http://h:99999/x", "h:99999", "/x", false, "h:99999", 0},
        {"http://user@h/x", "user@h", "/x", false, "user@h", 0},
        {"http://h/a b/caf\xC3\xA9?q=\x01\x7F", "h", "/a%20b/caf%C3%A9?q=%01%7F", false, "h", 0},
        {"http://h/already%20encoded", "h", "/already%20encoded", false, "h", 0},
        {"HTTP://h/x", "HTTP:", "//h/x", false, "HTTP:", 0},
        {"https://h/x?y", "h", "/x?y", true, "h", 0},
        {"https://h", "h", "/", true, "h", 0},
        {"HTTPS://h/", "HTTPS:", "//h/", false, "HTTPS:", 0},
        {"ftp://h/x", "ftp:", "//h/x", false, "ftp:", 0},
        {"", "", "/", false, "", 0},
        {"http://h#top", "h", "/", false, "h", 0},
        {"http://h:8089?x=1", "h:8089", "/?x=1", false, "h", 8089},
        {"https://h?x=1#y", "h", "/?x=1", true, "h", 0},
    };
    for (const Row& r : rows) {
        ProbeTarget t = parseProbeUrl(r.url);
        EXPECT_EQ(t.host, r.host) << r.url;
        EXPECT_EQ(t.path, r.path) << r.url;
        EXPECT_EQ(t.tls, r.tls) << r.url;
        EXPECT_EQ(t.connectHost, r.connectHost) << r.url;
        EXPECT_EQ(t.port.value_or(0), r.port) << r.url;
    }
    // The browser's identity, the codings the probe reads, and cookies only when there are.
    EXPECT_EQ(
        requestText(parseProbeUrl("http://h:8080/forum/view?id=7#last")),
        "GET /forum/view?id=7 HTTP/1.1\r\nHost: h:8080\r\nConnection: keep-alive\r\nUser-Agent: " +
            std::string(kDefaultUserAgent) +
            "\r\nAccept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8"
            "\r\nAccept-Language: en-US,en;q=0.9\r\nAccept-Encoding: gzip, deflate\r\n\r\n");
    RequestIdentity browser{"Agent/1", "text/html", "de-DE"};
    EXPECT_EQ(requestText(parseProbeUrl("https://h/"), browser, "sid=1; a=b"),
              "GET / HTTP/1.1\r\nHost: h\r\nConnection: keep-alive\r\nUser-Agent: Agent/1\r\n"
              "Accept: text/html\r\nAccept-Language: de-DE\r\nAccept-Encoding: gzip, deflate\r\n"
              "Cookie: sid=1; a=b\r\n\r\n");
}

TEST(ProbeUrl, RedirectLocations) {
    struct Row {
        std::string base, location, resolved;
    };
    const Row rows[] = {
        {"http://h/a/b?q#f", "https://other:8443/x", "https://other:8443/x"},
        {"http://h/a/b", "HTTP://Other/x", "http://Other/x"},
        {"https://h/a/b", "//cdn/x", "https://cdn/x"},
        {"http://h:81/a/b?q", "/root", "http://h:81/root"},
        {"http://h/a/b?q", "c", "http://h/a/c"},
        {"http://h/a/", "c?d", "http://h/a/c?d"},
        {"http://h", "c", "http://h/c"},
        {"http://h:81?q", "/root", "http://h:81/root"},
        {"http://h#top", "c", "http://h/c"},
        {"http://h/a/b?q=1", "?q=2", "http://h/a/b?q=2"},
        {"http://h/a", "  /spaced  ", "http://h/spaced"},
        {"http://h/a", "ftp://h/x", ""},
        {"http://h/a", "javascript:alert(1)", ""},
    };
    for (const Row& r : rows)
        EXPECT_EQ(resolveLocation(r.base, r.location), r.resolved) << r.location;
}

TEST(ProbeProgress, TextsAndRounding) {
    struct Row {
        std::int64_t body;
        std::int32_t length;
        std::optional<std::string> text;
    };
    const Row rows[] = {
        {300, 0, "Downloaded 300 bytes"},
        {300, -4, "Downloaded 300 bytes"},
        {14, 10, "Downloaded 14 from 10 (140%)"},
        {5, 200, "Downloaded 5 from 200 (2%)"},  // 2.5 to even
        {7, 200, "Downloaded 7 from 200 (4%)"},  // 3.5 to even
        {3, 200, "Downloaded 3 from 200 (2%)"},  // 1.5 to even
        {327670, 1000, "Downloaded 327670 from 1000 (32767%)"},
        {327680, 1000, std::nullopt},  // 32768% does not fit
        {5000000000LL, 1, std::nullopt},
    };
    for (const Row& r : rows)
        EXPECT_EQ(progressText(r.body, r.length), r.text) << r.body << "/" << r.length;
}

TEST_F(Probe, StartConnectsAndSendsTheRequest) {
    connectAndSend("http://h:8080/x?y=1");
    EXPECT_EQ(socket.calls, (std::vector<std::string>{
                                "close", "connect h:8080",
                                "send " + requestText(parseProbeUrl("http://h:8080/x?y=1"))}));
    EXPECT_EQ(panels.texts[3], std::vector<std::string>{""});
    EXPECT_EQ(panels.texts[2], (std::vector<std::string>{"Connecting to the web server",
                                                         "Sending request", "Request completed"}));
    probe.start("https://secure.example/p");
    EXPECT_EQ(socket.calls.back(), "connect secure.example:443 tls");
}

// The same response split at every position, and in one piece, gives the same outcome.
TEST_F(Probe, EverySplitGivesTheSameOutcome) {
    const std::string cutOff = "failed: the page was cut off";
    struct Row {
        std::string response;
        std::string outcome;
        std::int32_t length;  // the progress text's Content-Length
    };
    const Row rows[] = {
        {"HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n0123456789", "10", 10},
        {"HTTP/1.1 200 OK\r\nServer: x\r\n\r\n" + std::string(300, 'b'), "300", 0},
        // The progress text takes the first line naming Content-Length; the end of the body
        // comes from the header of that name.
        {"HTTP/1.1 200 OK\r\nX-Old-Content-Length: 5\r\nContent-Length: 3\r\n\r\nabc", "3", 5},
        {"HTTP/1.1 200 OK\r\nX-Old-Content-Length: 5\r\nContent-Length: 9\r\n\r\nabc", cutOff, 5},
        {"HTTP/1.1 200 OK\r\nContent-Length: abc\r\nContent-Length: 4\r\n\r\nabcd", "4", 0},
        {"HTTP/1.1 200 OK\r\nContent-Length:3\r\n\r\nabc", "3", 0},
        {"HTTP/1.1 200 OK\r\nContent-Length:  12 \r\n\r\nab", cutOff, 12},
        {"HTTP/1.1 200 OK\r\nContent-Length: 99999999999\r\n\r\nab", cutOff, 0},
        {"HTTP/1.1 200 OK\r\ncontent-length: 5\r\n\r\nabcde", "5", 0},
        {"HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", "0", 0},
        // Bytes past the Content-Length are not part of the page.
        {"HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nabcdef", "2", 2},
        {"HTTP/1.1 200 OK\r\nA: b\rContent-Length: 6\r\n\r\nx\r\n\r\ny", "6", 0},
        // Chunk framing counts as body; a chunked body must end with its last chunk.
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nContent-Length: 3\r\n\r\n"
         "5\r\nhello\r\n0\r\n\r\n",
         "15", 3},
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip, Chunked\r\n\r\n5\r\nhello\r\n", cutOff, 0},
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n", cutOff, 0},
        {"HTTP/1.1 200 OK\r\n\r\n", "0", 0},
        {"\r\n\r\nbody", "4", 0},
        // A redirection without a Location is a page like any other.
        {"HTTP/1.1 302 Found\r\n\r\nmoved", "5", 0},
        {"HTTP/1.1 200 OK\r\nContent-Length: 3\r\n", "36", 0},  // closed before the header end
        {"", "0", 0},
    };
    for (const Row& r : rows) {
        const std::string_view all = r.response;
        for (size_t split = 0; split <= all.size(); ++split) {
            ASSERT_EQ(exchange({all.substr(0, split), all.substr(split)}),
                      std::vector<std::string>{r.outcome})
                << testing::PrintToString(r.response) << " split at " << split;
            ASSERT_EQ(probe.contentLength(), r.length) << testing::PrintToString(r.response);
        }
        std::vector<std::string_view> bytes;
        for (size_t i = 0; i < all.size(); ++i) bytes.push_back(all.substr(i, 1));
        EXPECT_EQ(exchange(bytes), std::vector<std::string>{r.outcome}) << "byte by byte";
    }
}

// The title comes from the content, also when chunk framing cuts through it.
TEST_F(Probe, TheTitleIsReadAtEverySplit) {
    const std::string response =
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
        "9;x=1\r\n<title>Wi\r\n11\r\ndgets &amp; more<\r\n7\r\n/title>\r\n0\r\n\r\n";
    const std::string_view all = response;
    for (size_t split = 0; split <= all.size(); ++split) {
        exchange({all.substr(0, split), all.substr(split)});
        ASSERT_EQ(client.title, "Widgets & more") << "split at " << split;
    }
}

// A whole answer completes without the close; its connection stays for the next page unless
// the server says it closes, and is used again for the same server.
TEST_F(Probe, ContentLengthCompletesWithoutTheClose) {
    struct Row {
        std::string status, header;
        bool kept;
    } rows[] = {
        {"HTTP/1.1 200 OK", "", true},
        {"HTTP/1.1 200 OK", "Connection: close\r\n", false},
        {"HTTP/1.0 200 OK", "", false},
        {"HTTP/1.0 200 OK", "Connection: keep-alive\r\n", true},
    };
    for (const Row& r : rows) {
        probe.stopMeasuring();
        client.outcomes.clear();
        connectAndSend();
        probe.onDataArrival(r.status + "\r\nContent-Length: 6\r\n" + r.header + "\r\nabc");
        EXPECT_TRUE(client.outcomes.empty());
        probe.onDataArrival("def");
        EXPECT_EQ(client.outcomes, std::vector<std::string>{"6"});
        EXPECT_EQ(socket.calls.back() == "close", !r.kept) << r.status << r.header;
        EXPECT_EQ(socket.timerMs, -1);
        socket.calls.clear();
        probe.start("http://h/next");
        EXPECT_EQ(socket.calls.front().starts_with("send GET /next"), r.kept)
            << socket.calls.front();
    }
}

// A forum's error page comes whole too: its connection serves the next page.
TEST_F(Probe, AWholeErrorPageKeepsItsConnection) {
    connectAndSend();
    probe.onDataArrival("HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\n\r\ngone");
    ASSERT_EQ(client.outcomes.size(), 1u);
    socket.calls.clear();
    probe.start("http://h/next");
    EXPECT_TRUE(socket.calls.front().starts_with("send GET /next")) << socket.calls.front();
}

TEST_F(Probe, RedirectionsAreFollowed) {
    struct Row {
        int status;
        std::string location, connect;
    };
    const Row rows[] = {
        {301, "http://h/new", "connect h:80"},
        {302, "/moved", "connect h:80"},
        {303, "https://h/secure", "connect h:443 tls"},
        {307, "http://other:8080/x", "connect other:8080"},
        {308, "next", "connect h:80"},
    };
    for (const Row& r : rows) {
        connectAndSend("http://h/old#p2");
        client.outcomes.clear();
        probe.onDataArrival("HTTP/1.1 " + std::to_string(r.status) + " Moved\r\nLocation: " +
                            r.location + "\r\nContent-Length: 5\r\n\r\nmoved");
        EXPECT_EQ(socket.calls.back(), r.connect) << r.status;
        EXPECT_TRUE(client.outcomes.empty());
        probe.onConnected();
        EXPECT_TRUE(socket.calls.back().starts_with("send GET /")) << socket.calls.back();
        EXPECT_TRUE(socket.calls.back().ends_with("Accept-Encoding: gzip, deflate\r\n\r\n"));
        probe.onDataArrival("HTTP/1.1 200 OK\r\n\r\nthe final page");
        probe.onClosedByServer();
        EXPECT_EQ(client.outcomes, std::vector<std::string>{"14"}) << r.status;
        EXPECT_EQ(probe.redirects(), 1);
    }
}

TEST_F(Probe, RedirectionLoopsAndLongChainsFail) {
    auto hop = [this](const std::string& location) {
        probe.onConnected();
        probe.onDataArrival("HTTP/1.1 302 Found\r\nLocation: " + location + "\r\n\r\n");
    };
    // Five hops are followed; a sixth is too many.
    connectAndSend("http://h/0");
    for (int i = 1; i <= 5; ++i) hop("/" + std::to_string(i));
    EXPECT_TRUE(client.outcomes.empty());
    hop("/6");
    EXPECT_EQ(client.outcomes, std::vector<std::string>{"failed: too many redirections"});
    EXPECT_EQ(panels.last(2), "Could not reach http://h/0: too many redirections");

    client.outcomes.clear();
    connectAndSend("http://h/a");
    hop("/b");
    hop("http://h/a");
    EXPECT_EQ(client.outcomes, std::vector<std::string>{"failed: too many redirections"});

    client.outcomes.clear();
    connectAndSend("http://h/a");
    hop("mailto:x@h");
    EXPECT_EQ(
        client.outcomes,
        std::vector<std::string>{"failed: the page moved to mailto:x@h, which cannot be fetched"});
}

TEST_F(Probe, ALineBreakInTheAddressFailsFromTheTimer) {
    probe.start("http://h/x\r\nHost: evil");
    EXPECT_TRUE(client.outcomes.empty());
    EXPECT_EQ(socket.timerMs, 0);
    for (const std::string& call : socket.calls) EXPECT_FALSE(call.starts_with("connect")) << call;
    probe.onConnected();
    probe.onTimeout();
    EXPECT_EQ(client.outcomes, std::vector<std::string>{"failed: the address holds a line break"});
}

// A stopped exchange closes its connection and reports nothing of what still arrives.
TEST_F(Probe, StopDropsTheExchange) {
    connectAndSend("http://h/x");
    probe.onDataArrival("HTTP/1.1 200 OK\r\n");
    probe.stopMeasuring();
    EXPECT_EQ(socket.calls.back(), "close");
    EXPECT_EQ(socket.timerMs, -1);
    const size_t texts = panels.texts[2].size();
    probe.onDataArrival("Content-Length: 2\r\n\r\nab");
    probe.onClosedByServer();
    probe.onTimeout();
    probe.onError("Connection reset");
    EXPECT_TRUE(client.outcomes.empty());
    EXPECT_EQ(panels.texts[2].size(), texts);
    EXPECT_EQ(exchange({"HTTP/1.1 200 OK\r\n\r\nabc"}), std::vector<std::string>{"3"});
}

// A server that drips keeps the silence timer from firing, but not the page's deadline; the
// size cap holds whatever the server sends.
TEST_F(Probe, DeadlineAndSizeCap) {
    connectAndSend();
    probe.onDataArrival("HTTP/1.1 200 OK\r\n\r\n");
    for (int second = 1; second < 119; ++second) {
        nowMs += 1000;
        probe.onDataArrival("x");
        ASSERT_TRUE(client.outcomes.empty()) << second;
    }
    // The silence timer is never set past the deadline.
    EXPECT_EQ(socket.timerMs, 2000);
    nowMs += 2000;
    probe.onDataArrival("x");
    EXPECT_EQ(client.outcomes,
              std::vector<std::string>{"failed: the page took longer than 120 seconds"});

    // The same deadline when the timer fires first.
    client.outcomes.clear();
    connectAndSend();
    nowMs += 119999;
    probe.onDataArrival("HTTP/1.1 200 OK\r\n\r\n");
    EXPECT_EQ(socket.timerMs, 1);
    nowMs += 1;
    probe.onTimeout();
    EXPECT_EQ(client.outcomes,
              std::vector<std::string>{"failed: the page took longer than 120 seconds"});

    const std::string chunk(1 << 20, 'z');
    client.outcomes.clear();
    connectAndSend();
    probe.onDataArrival("HTTP/1.1 200 OK\r\n\r\n");
    for (int i = 0; i < 64; ++i) probe.onDataArrival(chunk);
    EXPECT_TRUE(client.outcomes.empty());
    probe.onDataArrival("1");
    EXPECT_EQ(client.outcomes, std::vector<std::string>{"failed: page too large"});
    // Exactly the cap is fine.
    std::vector<std::string_view> pieces{"HTTP/1.1 200 OK\r\n\r\n"};
    pieces.insert(pieces.end(), 64, chunk);
    EXPECT_EQ(exchange(pieces), std::vector<std::string>{std::to_string(64 << 20)});
}

TEST_F(Probe, ProgressAfterTheHeaderOnly) {
    connectAndSend();
    // The progress text reads the first line naming Content-Length; this one does not end
    // the body.
    probe.onDataArrival("HTTP/1.1 200 OK\r\nX-Content-Length: 10\r\n\r\n0123456789");
    EXPECT_EQ(panels.texts[3],
              std::vector<std::string>{""});  // none for the chunk ending the header
    EXPECT_EQ(panels.last(2), "Receiving response");
    EXPECT_EQ(probe.bodyBytes(), 10);
    probe.onDataArrival("abcd");
    EXPECT_EQ(panels.last(3), "Downloaded 14 from 10 (140%)");

    connectAndSend();
    probe.onDataArrival("HTTP/1.1 200 OK\r\n\r\n");
    probe.onDataArrival(std::string(300, 'x'));
    EXPECT_EQ(panels.last(3), "Downloaded 300 bytes");
    probe.onClosedByServer();
    EXPECT_EQ(socket.calls.back(), "close");
}

TEST_F(Probe, HeaderEndFarIntoTheResponseIsFound) {
    connectAndSend();
    probe.onDataArrival("HTTP/1.1 200 OK\r\nX-Padding: " + std::string(100000, 'p') +
                        "\r\nContent-Length: 2\r\n\r\nok");
    probe.onClosedByServer();
    EXPECT_EQ(client.outcomes, std::vector<std::string>{"2"});
    EXPECT_EQ(probe.contentLength(), 2);
}

TEST_F(Probe, ASecondStartDropsTheFirstExchange) {
    connectAndSend("http://first/");
    probe.onDataArrival("HTTP/1.1 200 OK\r\n\r\nfirst body");
    connectAndSend("http://second/");
    probe.onDataArrival("HTTP/1.1 200 OK\r\n\r\n22");
    probe.onClosedByServer();
    EXPECT_EQ(client.outcomes, std::vector<std::string>{"2"});
}

TEST_F(Probe, FailuresEndTheProbeAndStick) {
    connectAndSend("http://h/x");
    probe.onError("Connection refused");
    EXPECT_EQ(panels.last(2), "Could not reach http://h/x: Connection refused");
    EXPECT_EQ(probe.state(), PageProbe::State::Failed);
    EXPECT_EQ(socket.timerMs, -1);
    // Nothing after a failure counts until the next start.
    probe.onDataArrival("HTTP/1.1 200 OK\r\n\r\nlate");
    probe.onClosedByServer();
    probe.onTimeout();
    EXPECT_EQ(client.outcomes, std::vector<std::string>{"failed: Connection refused"});
    EXPECT_EQ(panels.last(2), "Could not reach http://h/x: Connection refused");

    // Silence: the timer runs while waiting and ends the probe when it fires.
    probe.start("http://quiet/");
    EXPECT_EQ(socket.timerMs, 30000);
    probe.onTimeout();
    EXPECT_EQ(client.outcomes.back(), "failed: the server did not answer for 30 seconds");
    EXPECT_EQ(panels.last(2),
              "Could not reach http://quiet/: the server did not answer for 30 seconds");
}

TEST_F(Probe, TheClientMayStartTheNextExchangeFromItsCallback) {
    struct Chain : MeasurementClient {
        PageProbe* probe = nullptr;
        std::vector<std::string> seen;
        void onMeasured(const MeasuredPage& page) override {
            seen.push_back(std::to_string(page.bodyBytes));
            if (seen.size() < 2) probe->start("http://next/");
        }
        void onMeasureFailed(const MeasureFailure&) override {}
    } chain;
    chain.probe = &probe;
    probe.setClient(&chain);
    connectAndSend();
    probe.onDataArrival("HTTP/1.1 200 OK\r\n\r\n1");
    probe.onClosedByServer();
    EXPECT_EQ(probe.state(), PageProbe::State::Connecting);
    EXPECT_EQ(socket.calls.back(), "connect next:80");
    probe.onConnected();
    probe.onDataArrival("HTTP/1.1 200 OK\r\n\r\n22");
    probe.onClosedByServer();
    EXPECT_EQ(chain.seen, (std::vector<std::string>{"1", "2"}));
}

}  // namespace
}  // namespace boardcast

namespace boardcast {
namespace {

// A reader that answers when the test says, as a worker thread would.
struct LaterReader : PageReader {
    std::vector<std::pair<std::string, Done>> asked;
    void read(std::string body, const PageContext& context, Done done) override {
        (void)context;
        asked.emplace_back(std::move(body), std::move(done));
    }
    void answer(size_t i) { asked.at(i).second(readPageFacts(asked.at(i).first, {})); }
};

// A page read after its exchange was stopped or followed by another reports nothing; the
// page of the exchange running reports once it is read, also after the probe is gone.
TEST_F(Probe, AnswersOfTheReaderForAnEarlierExchangeAreDropped) {
    LaterReader reader;
    probe.setReader(reader);
    const std::string page = "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\n<b>x";
    exchange({page});
    EXPECT_EQ(probe.state(), PageProbe::State::Reading);
    probe.stopMeasuring();
    reader.answer(0);
    exchange({page});
    exchange({"HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok"});
    reader.answer(1);  // the second exchange was followed by a third
    EXPECT_TRUE(client.outcomes.empty());
    reader.answer(2);
    EXPECT_EQ(client.outcomes, std::vector<std::string>{"2"});
    EXPECT_EQ(probe.state(), PageProbe::State::Done);

    auto gone = std::make_unique<PageProbe>(socket, panels);
    gone->setClient(&client);
    gone->setReader(reader);
    gone->start("http://h/");
    gone->onConnected();
    gone->onDataArrival(page);
    gone.reset();
    reader.answer(3);  // nothing to report to, and nothing breaks
    EXPECT_EQ(client.outcomes.size(), 1u);
}

}  // namespace
}  // namespace boardcast

namespace boardcast {
namespace {

// What kind of failure a page is: an answer that is not the thread, or none at all.
TEST_F(Probe, FailuresSayWhatKindTheyAre) {
    struct Kinds : MeasurementClient {
        std::vector<FailureKind> kinds;
        void onMeasured(const MeasuredPage&) override {}
        void onMeasureFailed(const MeasureFailure& f) override { kinds.push_back(f.kind); }
    } kinds;
    probe.setClient(&kinds);
    const std::pair<std::string, FailureKind> rows[] = {
        {"HTTP/1.1 404 Not Found\r\nContent-Length: 2\r\n\r\nno", FailureKind::ErrorStatus},
        {"HTTP/1.1 403 Forbidden\r\ncf-mitigated: challenge\r\nContent-Length: 0\r\n\r\n",
         FailureKind::Challenge},
        {"HTTP/1.1 200 OK\r\nContent-Length: 78\r\n\r\n"
         "<p>You are not logged in or you do not have permission to access this page</p>",
         FailureKind::LoginRequired},
        {"HTTP/1.1 200 OK\r\nContent-Length: 39\r\n\r\n<p>The specified thread does not exist.",
         FailureKind::Missing},
        {"HTTP/1.1 200 OK\r\nContent-Length: 99\r\n\r\ncut short", FailureKind::Unreachable},
    };
    for (const auto& [answer, kind] : rows) {
        kinds.kinds.clear();
        exchange({answer});
        EXPECT_EQ(kinds.kinds, std::vector<FailureKind>{kind}) << answer;
    }
}

}  // namespace
}  // namespace boardcast
