#pragma once
// A page probe: one HTTP/1.1 GET, and a count of the body bytes the server sends after the
// blank line that ends the header, until the server closes the connection. The body is
// counted, never stored, and is neither decoded nor interpreted.
//
// A state machine fed from outside: the socket adapter calls the SocketEvents methods; the
// probe calls the Socket, writes its phase texts to panel 2 and its progress to panel 3,
// and tells its MeasurementClient the outcome. Failures are sticky: a failed probe ignores
// further events until it is started again.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/measurement.h"
#include "net/socket.h"

namespace boardcast {

struct ProbeTarget {
    std::string host;  // also the Host header and, for TLS, the server name
    std::string path;  // always begins with "/"
    bool tls = false;
};

// "http://" (exact case) is cut off and "https://" (exact case) asks for TLS; any other
// scheme or letter case stays in the host. Without a "/" the path is "/". Nothing else is
// split off: a ":port", a user part, a query or a fragment stays in host or path.
ProbeTarget parseProbeUrl(std::string_view url);

std::string requestText(const ProbeTarget& target);

// Panel 3's text for a count after the header: "Downloaded N bytes" without a usable
// Content-Length, else "Downloaded N from L (P%)" with P rounded half to even. Nothing when
// the percentage does not fit a 16-bit integer (the panel then keeps its text).
std::optional<std::string> progressText(std::int64_t bodyBytes, std::int32_t contentLength);

struct ProbePorts {
    std::uint16_t http = 80;
    std::uint16_t https = 443;
};

class PageProbe final : public PageMeasurer, public SocketEvents {
public:
    static constexpr int kDefaultTimeoutMs = 30000;

    // Takes over the socket's events. The socket and the status panels must outlive the
    // probe; a probe that goes away closes its connection and stops reporting.
    PageProbe(Socket& socket, StatusPanels& status, ProbePorts ports = {},
              int timeoutMs = kDefaultTimeoutMs);
    ~PageProbe() override;

    void setClient(MeasurementClient* client) override { client_ = client; }
    void startMeasuring(const std::string& url) override { start(url); }

    // Drops any exchange still running (it reports nothing) and starts a new one.
    void start(const std::string& url);

    enum class State { Idle, Connecting, Sending, ReceivingHeader, ReceivingBody, Done, Failed };
    State state() const { return state_; }
    bool headerSeen() const { return headerSeen_; }
    std::int32_t contentLength() const { return contentLength_; }
    std::int64_t bodyBytes() const { return bodyBytes_; }
    const ProbeTarget& target() const { return target_; }

    void onConnected() override;
    void onSendProgress() override;
    void onSendComplete() override;
    void onDataArrival(std::string_view bytes) override;
    void onClosedByServer() override;
    void onError(const std::string& text) override;
    void onTimeout() override;

private:
    bool active() const;
    void touch();
    void fail(const std::string& reason);
    size_t scanHeader(std::string_view bytes);
    void headerLineEnded();

    Socket& socket_;
    StatusPanels& status_;
    ProbePorts ports_;
    int timeoutMs_;
    MeasurementClient* client_ = nullptr;

    State state_ = State::Idle;
    std::string url_;
    ProbeTarget target_;
    bool headerSeen_ = false;
    std::int32_t contentLength_ = 0;
    std::int64_t bodyBytes_ = 0;

    // Header scanning keeps only the line being read (up to kMaxHeaderLine bytes of it) and
    // how much of the blank line has been matched, so memory stays flat whatever the server
    // sends, and the header end is found wherever it lies.
    static constexpr size_t kMaxHeaderLine = 8192;
    std::string line_;
    bool contentLengthLineSeen_ = false;
    std::int32_t headerContentLength_ = 0;  // takes effect once the whole header is in
    int endMatch_ = 0;  // characters of CR LF CR LF matched so far
};

}  // namespace boardcast
