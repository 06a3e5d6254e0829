// Feeds arbitrary server answers to the page probe, split at arbitrary places, through every
// redirection they ask for. Beyond the sanitizers' checks it asserts what every exchange
// must end in: at most one outcome, a size within the cap, never more than five
// redirections, and a probe that is quiet once it has reported.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "net/page_probe.h"

namespace {

using namespace boardcast;

struct QuietSocket final : Socket {
    void setEvents(SocketEvents*) override {}
    void connect(const std::string&, std::uint16_t, bool) override { ++connects; }
    void send(std::string_view) override {}
    void close() override {}
    void startIdleTimer(int) override {}
    void stopIdleTimer() override {}
    int connects = 0;
};

struct NoPanels final : StatusPanels {
    void setPanelText(int, const std::string&) override {}
};

struct Outcomes final : MeasurementClient {
    void onMeasured(const MeasuredPage& page) override {
        ++count;
        if (page.bodyBytes < 0 || page.bodyBytes > (std::int64_t{64} << 20)) std::abort();
    }
    void onMeasureFailed(const MeasureFailure& failure) override {
        ++count;
        if (failure.reason.empty()) std::abort();
    }
    int count = 0;
};

}  // namespace

// The first byte chooses the piece size (1 to 256); the rest is what every server answers.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const size_t piece = static_cast<size_t>(data[0]) + 1;
    const std::string_view answer(reinterpret_cast<const char*>(data + 1), size - 1);

    QuietSocket socket;
    NoPanels panels;
    Outcomes outcomes;
    std::int64_t now = 0;
    PageProbe probe(socket, panels, {}, {}, [&now] { return now; });
    probe.setClient(&outcomes);
    probe.start("http://forum.example/t/1#p2");
    for (int exchange = 0; exchange < 8 && probe.state() == PageProbe::State::Connecting;
         ++exchange) {
        probe.onConnected();
        probe.onSendComplete();
        for (size_t at = 0; at < answer.size() && outcomes.count == 0; at += piece) {
            const auto before = socket.connects;
            probe.onDataArrival(answer.substr(at, piece));
            now += 10;
            if (socket.connects != before) break;  // redirected: the next server answers
        }
        if (probe.state() != PageProbe::State::Connecting) probe.onClosedByServer();
    }
    if (outcomes.count != 1) std::abort();
    if (probe.redirects() > 5) std::abort();
    // Once it has reported, nothing more comes out of it.
    probe.onDataArrival("HTTP/1.1 200 OK\r\n\r\nlate");
    probe.onClosedByServer();
    probe.onTimeout();
    if (outcomes.count != 1) std::abort();
    return 0;
}
