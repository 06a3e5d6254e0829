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
    void onMeasured(std::int64_t bytes) override { outcomes.push_back(std::to_string(bytes)); }
    void onMeasureFailed(const std::string& reason) override { outcomes.push_back("failed: " + reason); }
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

    FakeSocket socket;
    Panels panels;
    Client client;
    PageProbe probe{socket, panels, ProbePorts{80, 443}, 30000};
};

TEST(ProbeUrl, Parsing) {
    struct Row {
        std::string url, host, path;
        bool tls;
    };
    const Row rows[] = {
        {"http://h/forum/view?id=7#last", "h", "/forum/view?id=7#last", false},
        {"http://h", "h", "/", false},
        {"h", "h", "/", false},
        {"http://h:8080/x", "h:8080", "/x", false},
        {"http://user@h/x", "user@h", "/x", false},
        {"HTTP://h/x", "HTTP:", "//h/x", false},
        {"https://h/x?y", "h", "/x?y", true},
        {"https://h", "h", "/", true},
        {"HTTPS://h/", "HTTPS:", "//h/", false},
        {"ftp://h/x", "ftp:", "//h/x", false},
        {"", "", "/", false},
    };
    for (const Row& r : rows) {
        ProbeTarget t = parseProbeUrl(r.url);
        EXPECT_EQ(t.host, r.host) << r.url;
        EXPECT_EQ(t.path, r.path) << r.url;
        EXPECT_EQ(t.tls, r.tls) << r.url;
    }
    EXPECT_EQ(requestText(parseProbeUrl("http://h/forum/view?id=7#last")),
              "GET /forum/view?id=7#last HTTP/1.1\r\nHost: h\r\nConnection: close\r\n"
              "Accept: */*\r\n\r\n");
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
        {5, 200, "Downloaded 5 from 200 (2%)"},   // 2.5 to even
        {7, 200, "Downloaded 7 from 200 (4%)"},   // 3.5 to even
        {3, 200, "Downloaded 3 from 200 (2%)"},   // 1.5 to even
        {327670, 1000, "Downloaded 327670 from 1000 (32767%)"},
        {327680, 1000, std::nullopt},             // 32768% does not fit
        {5000000000LL, 1, std::nullopt},
    };
    for (const Row& r : rows) EXPECT_EQ(progressText(r.body, r.length), r.text) << r.body << "/" << r.length;
}

TEST_F(Probe, StartConnectsAndSendsTheRequest) {
    connectAndSend("http://h:8080/x?y=1");
    EXPECT_EQ(socket.calls, (std::vector<std::string>{
                                "close", "connect h:8080:80",
                                "send GET /x?y=1 HTTP/1.1\r\nHost: h:8080\r\nConnection: close\r\n"
                                "Accept: */*\r\n\r\n"}));
    EXPECT_EQ(panels.texts[3], std::vector<std::string>{""});
    EXPECT_EQ(panels.texts[2], (std::vector<std::string>{"Connecting to the web server",
                                                         "Sending request", "Request completed"}));
    probe.start("https://secure.example/p");
    EXPECT_EQ(socket.calls.back(), "connect secure.example:443 tls");
}

// The same response split at every position, and in one piece, gives the same outcome.
TEST_F(Probe, EverySplitGivesTheSameCounts) {
    struct Row {
        std::string response;
        std::int64_t body;
        std::int32_t length;
    };
    const Row rows[] = {
        {"HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n0123456789", 10, 10},
        {"HTTP/1.1 200 OK\r\nServer: x\r\n\r\n" + std::string(300, 'b'), 300, 0},
        {"HTTP/1.1 200 OK\r\nX-Old-Content-Length: 5\r\nContent-Length: 9\r\n\r\nabc", 3, 5},
        {"HTTP/1.1 200 OK\r\nContent-Length: abc\r\nContent-Length: 4\r\n\r\nabcd", 4, 0},
        {"HTTP/1.1 200 OK\r\nContent-Length:7\r\n\r\nabc", 3, 0},
        {"HTTP/1.1 200 OK\r\nContent-Length:  12 \r\n\r\nab", 2, 12},
        {"HTTP/1.1 200 OK\r\nContent-Length: 99999999999\r\n\r\nab", 2, 0},
        {"HTTP/1.1 200 OK\r\ncontent-length: 5\r\n\r\nabcde", 5, 0},  // the name is case-sensitive
        {"HTTP/1.1 200 OK\r\nA: b\rContent-Length: 6\r\n\r\nx\r\n\r\ny", 6, 0},  // the text after the line's first space is no number
        {"HTTP/1.1 200 OK\r\n\r\n", 0, 0},
        {"\r\n\r\nbody", 4, 0},
        {"HTTP/1.1 200 OK\r\nContent-Length: 3\r\n", 36, 0},  // closed before the header end
        {"", 0, 0},
    };
    for (const Row& r : rows) {
        for (size_t split = 0; split <= r.response.size(); ++split) {
            connectAndSend();
            client.outcomes.clear();
            if (split > 0) probe.onDataArrival(std::string_view(r.response).substr(0, split));
            if (split < r.response.size()) probe.onDataArrival(std::string_view(r.response).substr(split));
            probe.onClosedByServer();
            ASSERT_EQ(client.outcomes, std::vector<std::string>{std::to_string(r.body)})
                << testing::PrintToString(r.response) << " split at " << split;
            ASSERT_EQ(probe.contentLength(), r.length) << testing::PrintToString(r.response);
        }
        // Byte by byte.
        connectAndSend();
        client.outcomes.clear();
        for (char c : r.response) probe.onDataArrival(std::string_view(&c, 1));
        probe.onClosedByServer();
        EXPECT_EQ(client.outcomes, std::vector<std::string>{std::to_string(r.body)});
    }
}

TEST_F(Probe, ProgressAfterTheHeaderOnly) {
    connectAndSend();
    probe.onDataArrival("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n0123456789");
    EXPECT_EQ(panels.texts[3], std::vector<std::string>{""});  // none for the chunk ending the header
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

TEST_F(Probe, HugeBodiesDoNotOverflow) {
    connectAndSend();
    probe.onDataArrival("HTTP/1.1 200 OK\r\nContent-Length: 2147483647\r\n\r\n");
    const std::string chunk(1 << 20, 'z');
    for (int i = 0; i < 3000; ++i) probe.onDataArrival(chunk);
    probe.onClosedByServer();
    EXPECT_EQ(client.outcomes, std::vector<std::string>{std::to_string(3000LL << 20)});
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
        void onMeasured(std::int64_t bytes) override {
            seen.push_back(std::to_string(bytes));
            if (seen.size() < 2) probe->start("http://next/");
        }
        void onMeasureFailed(const std::string&) override {}
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
