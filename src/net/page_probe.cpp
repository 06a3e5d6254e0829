#include "net/page_probe.h"

#include <charconv>
#include <cmath>

namespace boardcast {

namespace {

constexpr std::string_view kHttp = "http://";
constexpr std::string_view kHttps = "https://";
constexpr std::string_view kBlankLine = "\r\n\r\n";

// The header's number: the text after the line's first space, blanks around it allowed.
std::int32_t parseContentLength(std::string_view line) {
    size_t space = line.find(' ');
    if (space == std::string_view::npos) return 0;
    std::string_view text = line.substr(space + 1);
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    std::int32_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && !text.empty() ? value : 0;
}

std::string timeoutText(int ms) {
    std::string amount = ms % 1000 == 0 ? std::to_string(ms / 1000) + " seconds"
                                        : std::to_string(ms) + " milliseconds";
    return "the server did not answer for " + amount;
}

}  // namespace

ProbeTarget parseProbeUrl(std::string_view url) {
    ProbeTarget target;
    std::string u(url);
    if (u.starts_with(kHttp)) {
        u.erase(0, kHttp.size());
    } else if (u.starts_with(kHttps)) {
        u.erase(0, kHttps.size());
        target.tls = true;
    }
    size_t slash = u.find('/');
    if (slash == std::string::npos) {
        u += '/';
        slash = u.size() - 1;
    }
    target.host = u.substr(0, slash);
    target.path = u.substr(slash);
    return target;
}

std::string requestText(const ProbeTarget& target) {
    return "GET " + target.path + " HTTP/1.1\r\nHost: " + target.host +
           "\r\nConnection: close\r\nAccept: */*\r\n\r\n";
}

std::optional<std::string> progressText(std::int64_t bodyBytes, std::int32_t contentLength) {
    if (contentLength < 1) return "Downloaded " + std::to_string(bodyBytes) + " bytes";
    // Rounded to nearest, halves to even (the default floating-point rounding mode).
    double percent = std::nearbyint(static_cast<double>(bodyBytes) /
                                    (static_cast<double>(contentLength) / 100.0));
    if (!(percent >= -32768.0 && percent <= 32767.0)) return std::nullopt;
    return "Downloaded " + std::to_string(bodyBytes) + " from " + std::to_string(contentLength) +
           " (" + std::to_string(static_cast<int>(percent)) + "%)";
}

PageProbe::PageProbe(Socket& socket, StatusPanels& status, ProbePorts ports, int timeoutMs)
    : socket_(socket), status_(status), ports_(ports), timeoutMs_(timeoutMs) {
    socket_.setEvents(this);
}

PageProbe::~PageProbe() {
    socket_.setEvents(nullptr);
    socket_.stopIdleTimer();
    socket_.close();
}

void PageProbe::start(const std::string& url) {
    url_ = url;
    target_ = parseProbeUrl(url);
    headerSeen_ = false;
    contentLength_ = 0;
    bodyBytes_ = 0;
    line_.clear();
    contentLengthLineSeen_ = false;
    headerContentLength_ = 0;
    endMatch_ = 0;
    status_.setPanelText(3, "");
    socket_.close();  // an exchange still running is dropped and reports nothing
    status_.setPanelText(2, "Connecting to the web server");
    state_ = State::Connecting;
    touch();
    socket_.connect(target_.host, target_.tls ? ports_.https : ports_.http, target_.tls);
}

bool PageProbe::active() const {
    return state_ == State::Connecting || state_ == State::Sending ||
           state_ == State::ReceivingHeader || state_ == State::ReceivingBody;
}

void PageProbe::touch() { socket_.startIdleTimer(timeoutMs_); }

void PageProbe::onConnected() {
    if (state_ != State::Connecting) return;
    touch();
    state_ = State::Sending;
    socket_.send(requestText(target_));
}

void PageProbe::onSendProgress() {
    if (!active()) return;
    touch();
    status_.setPanelText(2, "Sending request");
}

void PageProbe::onSendComplete() {
    if (!active()) return;
    touch();
    status_.setPanelText(2, "Request completed");
}

void PageProbe::onDataArrival(std::string_view bytes) {
    if (!active() || state_ == State::Connecting) return;
    touch();
    status_.setPanelText(2, "Receiving response");
    if (headerSeen_) {
        bodyBytes_ += static_cast<std::int64_t>(bytes.size());
        if (auto text = progressText(bodyBytes_, contentLength_)) status_.setPanelText(3, *text);
        return;
    }
    state_ = State::ReceivingHeader;
    size_t headerEnd = scanHeader(bytes);
    if (headerEnd == std::string_view::npos) {
        // Until the header end is found every byte counts.
        bodyBytes_ += static_cast<std::int64_t>(bytes.size());
        return;
    }
    // The header end lies in this chunk: what follows it is the body received so far. No
    // progress text for this chunk.
    headerSeen_ = true;
    contentLength_ = headerContentLength_;
    state_ = State::ReceivingBody;
    bodyBytes_ = static_cast<std::int64_t>(bytes.size() - headerEnd);
    line_.clear();
    line_.shrink_to_fit();
}

// Feeds header bytes through the blank-line matcher and the line splitter. Returns the
// position in bytes just past the blank line, or npos when the header goes on.
size_t PageProbe::scanHeader(std::string_view bytes) {
    for (size_t i = 0; i < bytes.size(); ++i) {
        char c = bytes[i];
        bool afterCr = endMatch_ == 1 || endMatch_ == 3;
        if (c == kBlankLine[static_cast<size_t>(endMatch_)]) {
            ++endMatch_;
        } else {
            endMatch_ = c == '\r' ? 1 : 0;
        }
        if (endMatch_ == 4) return i + 1;
        if (c == '\n' && afterCr) {
            // The line ends at this CR LF; its CR was stored last.
            if (!line_.empty() && line_.back() == '\r') line_.pop_back();
            headerLineEnded();
            line_.clear();
        } else if (line_.size() < kMaxHeaderLine) {
            line_ += c;
        }
    }
    return std::string_view::npos;
}

void PageProbe::headerLineEnded() {
    // The first line that holds "Content-Length" anywhere decides, readable or not.
    if (contentLengthLineSeen_ || line_.find("Content-Length") == std::string::npos) return;
    contentLengthLineSeen_ = true;
    headerContentLength_ = parseContentLength(line_);
}

void PageProbe::onClosedByServer() {
    if (!active()) return;
    socket_.stopIdleTimer();
    state_ = State::Done;
    socket_.close();
    if (client_) client_->onMeasured(bodyBytes_);
}

void PageProbe::onError(const std::string& text) {
    if (!active()) return;
    fail(text);
}

void PageProbe::onTimeout() {
    if (!active()) return;
    fail(timeoutText(timeoutMs_));
}

void PageProbe::fail(const std::string& reason) {
    socket_.stopIdleTimer();
    state_ = State::Failed;
    socket_.close();
    status_.setPanelText(2, "Could not reach " + url_ + ": " + reason);
    if (client_) client_->onMeasureFailed(reason);
}

}  // namespace boardcast
