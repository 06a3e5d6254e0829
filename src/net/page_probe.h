#pragma once
// A page probe: one HTTP/1.1 GET, and a count of the body bytes the server sends after the
// blank line that ends the header; chunk framing counts as body. The first kKeptBodyBytes
// of the content are kept to read the page's title from. It ends when the server closes the
// connection, as soon as a Content-Length's worth of body has arrived, or with a chunked
// body's last chunk; a close short of the Content-Length, or of a chunked body's last
// chunk, is a failure. A connection whose answer came whole, and that the server did not
// say it closes, stays open for the probe's next page of the same server; one the server
// closed meanwhile is opened again without losing the page. Redirections (301,
// 302, 303, 307, 308 with a Location) are followed up to five times and the final page is
// measured. No page takes longer than a set time or grows beyond a set size.
//
// A state machine fed from outside: the socket adapter calls the SocketEvents methods; the
// probe calls the Socket, writes its phase texts to panel 2 and its progress to panel 3,
// and tells its MeasurementClient the outcome. Failures are sticky: a failed probe ignores
// further events until it is started again.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/watching/measurement.h"
#include "net/page_facts.h"
#include "net/page_reader.h"
#include "net/socket.h"

namespace boardcast {

struct ProbeTarget {
    std::string host;  // the Host header's text, ":port" included
    std::string path;  // the request target: begins with "/", encoded, without a fragment
    bool tls = false;
    std::string connectHost;            // the host to connect to, and for TLS the server name
    std::optional<std::uint16_t> port;  // from ":port"; else the scheme's port
};

// "http://" (exact case) is cut off and "https://" (exact case) asks for TLS; any other
// scheme or letter case stays in the host. The host ends at the first "/", "?" or "#"; the
// path is "/" followed by what comes after it when that is no "/" (so "http://h?x=1" asks
// for "/?x=1"). The path stops
// before the first "#", and a space, control characters and non-ASCII bytes in it are
// percent-encoded. A ":port" after the host (also "[v6]:port") is the port to connect to;
// the Host header keeps the text as it is.
ProbeTarget parseProbeUrl(std::string_view url);

// The address a redirection's Location names, resolved against the address that answered
// it: absolute (http or https, any letter case), scheme-relative, absolute-path, query-only
// or relative. Empty when it names another scheme.
std::string resolveLocation(std::string_view base, std::string_view location);

// Who asks, as the user's browser says it: the check's requests carry the same identity.
inline constexpr std::string_view kDefaultUserAgent =
    "Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "QtWebEngine/6.4.2 Chrome/102.0.5005.177 Safari/537.36";
struct RequestIdentity {
    std::string userAgent{kDefaultUserAgent};
    std::string accept = "text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8";
    std::string acceptLanguage = "en-US,en;q=0.9";
};

// The request for target: the identity's headers, the compressions the probe reads, and the
// cookies when there are any.
std::string requestText(const ProbeTarget& target, const RequestIdentity& identity = {},
                        std::string_view cookies = {});

class CookieJar;

// Panel 3's text for a count after the header: "Downloaded N bytes" without a usable
// Content-Length, else "Downloaded N from L (P%)" with P rounded half to even. Nothing when
// the percentage does not fit a 16-bit integer (the panel then keeps its text).
std::optional<std::string> progressText(std::int64_t bodyBytes, std::int32_t contentLength);

struct ProbePorts {
    std::uint16_t http = 80;
    std::uint16_t https = 443;
};

// How long and how large a page may be, so that no server holds a probe for ever.
struct ProbeLimits {
    int silenceMs = 30000;  // no event from the connection for this long
    int pageMs = 120000;    // one page, redirections included, from start to last byte
    std::int64_t maxBodyBytes = std::int64_t{64} << 20;
    int maxRedirects = 5;
};

// Milliseconds on a steady clock; the probe only compares two readings.
using ProbeClock = std::function<std::int64_t()>;

class PageProbe final : public PageMeasurer, public SocketEvents {
public:
    static constexpr int kDefaultTimeoutMs = 30000;
    static constexpr size_t kKeptBodyBytes = size_t{4} << 20;

    // Takes over the socket's events. The socket and the status panels must outlive the
    // probe; a probe that goes away closes its connection and stops reporting. Without a
    // clock the system's steady clock is used.
    PageProbe(Socket& socket, StatusPanels& status, ProbePorts ports = {}, ProbeLimits limits = {},
              ProbeClock clock = {});
    ~PageProbe() override;

    void setClient(MeasurementClient* client) override { client_ = client; }
    void startMeasuring(const std::string& url) override { start(url); }
    // Closes the exchange still running; it reports nothing and writes no more texts.
    void stopMeasuring() override;

    // Drops any exchange still running (it reports nothing) and starts a new one. An
    // address holding a line break fails (from the timer, never inside this call).
    void start(const std::string& url);

    // Reading: the whole answer is in and its body is being read (see PageReader).
    enum class State {
        Idle,
        Connecting,
        Sending,
        ReceivingHeader,
        ReceivingBody,
        Reading,
        Done,
        Failed
    };

    // Where bodies are read: at once unless the program gives a reader of its own, which
    // must outlive the probe.
    void setReader(PageReader& reader) { reader_ = &reader; }
    // The headers requests carry; both must outlive the probe. Without a jar the probe asks
    // as a guest and keeps no cookie.
    void setIdentity(const RequestIdentity& identity) { identity_ = &identity; }
    void setCookieJar(CookieJar* jar) { cookies_ = jar; }
    // Connections opened so far, kept ones reused not counted.
    int connectionsOpened() const { return connectionsOpened_; }
    State state() const { return state_; }
    bool headerSeen() const { return headerSeen_; }
    std::int32_t contentLength() const { return contentLength_; }
    std::int64_t bodyBytes() const { return bodyBytes_; }
    const ProbeTarget& target() const { return target_; }
    int redirects() const { return redirects_; }

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
    void connectTo(const std::string& url);
    void openConnection();
    void sendRequest();
    // A kept connection that the server closed before it answered: the page is asked again
    // over a new one. False when this exchange had a new connection of its own.
    bool retriedOnNewConnection();
    // keepConnection: the answer came whole (a forum's error page), so a kept connection
    // still serves the next page.
    void fail(const MeasureFailure& failure, bool keepConnection = false);
    // whole: the answer's length says it is all in, so the connection may serve again.
    void complete(bool whole = false);
    void finish(PageFacts facts);
    void headerEnded();
    void countBody(std::string_view body);
    size_t scanHeader(std::string_view bytes);
    void headerLineEnded();
    std::string statusText() const;

    Socket& socket_;
    StatusPanels& status_;
    static ImmediatePageReader immediateReader_;
    PageReader* reader_ = &immediateReader_;
    // Counts the exchanges; an answer of the reader for an earlier one is dropped. Shared so
    // that an answer arriving after the probe is gone sees that.
    std::shared_ptr<std::uint64_t> ticket_ = std::make_shared<std::uint64_t>(0);
    ProbePorts ports_;
    ProbeLimits limits_;
    ProbeClock clock_;
    MeasurementClient* client_ = nullptr;
    static const RequestIdentity defaultIdentity_;
    const RequestIdentity* identity_ = &defaultIdentity_;
    CookieJar* cookies_ = nullptr;

    // The server of the connection kept open after a whole answer, if any.
    struct Endpoint {
        std::string host;
        std::uint16_t port = 0;
        bool tls = false;
        bool operator==(const Endpoint&) const = default;
    };
    std::optional<Endpoint> kept_;
    Endpoint endpoint_;          // of the exchange running
    bool reused_ = false;        // it runs over a kept connection
    bool answered_ = false;      // a byte of its answer arrived
    bool serverCloses_ = false;  // "Connection: close", or HTTP/1.0 without keep-alive
    int connectionsOpened_ = 0;

    State state_ = State::Idle;
    std::string url_;      // as the caller gave it, for the texts
    std::string current_;  // the address being fetched, after redirections
    std::vector<std::string> visited_;
    int redirects_ = 0;
    std::int64_t startedMs_ = 0;
    bool timerIsDeadline_ = false;  // the timer runs to the page's deadline, not a silence
    std::string pendingFailure_;    // reported when the timer fires
    ProbeTarget target_;
    bool headerSeen_ = false;
    std::int32_t contentLength_ = 0;
    std::int64_t bodyBytes_ = 0;

    // What the header says beyond the Content-Length of the progress text.
    int lineIndex_ = 0;
    int statusCode_ = 0;
    std::string reasonPhrase_;
    bool cfChallenge_ = false;  // "cf-mitigated: challenge"
    std::string location_;
    std::optional<std::int64_t> declaredLength_;  // a readable Content-Length header
    bool chunked_ = false;
    std::string contentEncoding_;  // "" when the body is not compressed
    std::string bodyTail_;         // the body's last bytes, to see a chunked body's end
    BodyReader content_{0, false};

    // Header scanning keeps only the line being read (up to kMaxHeaderLine bytes of it) and
    // how much of the blank line has been matched, so memory stays flat whatever the server
    // sends, and the header end is found wherever it lies.
    static constexpr size_t kMaxHeaderLine = 8192;
    std::string line_;
    bool contentLengthLineSeen_ = false;
    std::int32_t headerContentLength_ = 0;  // takes effect once the whole header is in
    int endMatch_ = 0;                      // characters of CR LF CR LF matched so far
};

}  // namespace boardcast
