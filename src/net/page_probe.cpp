#include "net/page_probe.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>

#include "core/text/address_text.h"
#include "core/text/ascii.h"
#include "core/watching/watch_lists.h"
#include "net/cookie_jar.h"
#include "net/page_reader.h"

namespace boardcast {

namespace {

constexpr std::string_view kHttp = "http://";
constexpr std::string_view kHttps = "https://";
constexpr std::string_view kBlankLine = "\r\n\r\n";
constexpr std::string_view kChunkedEnd = "0\r\n\r\n";

constexpr std::string_view kCutOff = "the page was cut off";
constexpr std::string_view kTooManyRedirections = "too many redirections";
constexpr std::string_view kTooLarge = "page too large";
constexpr std::string_view kChallenged =
    "the forum's bot protection stopped the check; open the thread in the browser";
constexpr std::string_view kMembersOnly =
    "the forum shows this thread only to members who are logged in";
constexpr std::string_view kMissingThread = "the forum says this thread does not exist";

template <typename Int>
std::optional<Int> parseNumber(std::string_view text) {
    Int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

// The progress text's number: the text after the line's first space, blanks around it
// allowed, from the first line that holds "Content-Length" anywhere.
std::int32_t parseContentLength(std::string_view line) {
    size_t space = line.find(' ');
    if (space == std::string_view::npos) return 0;
    return parseNumber<std::int32_t>(trimmedBlanks(line.substr(space + 1))).value_or(0);
}

std::string duration(int ms) {
    return ms % 1000 == 0 ? std::to_string(ms / 1000) + " seconds"
                          : std::to_string(ms) + " milliseconds";
}

std::string timeoutText(int ms) {
    return "the server did not answer for " + duration(ms);
}

std::string deadlineText(int ms) {
    return "the page took longer than " + duration(ms);
}

// Bytes that cannot stand in a request line go out percent-encoded.
std::string encodeTarget(std::string_view path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(path.size());
    for (char ch : path) {
        const auto c = static_cast<unsigned char>(ch);
        if (c <= 0x20 || c >= 0x7F) {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        } else {
            out += ch;
        }
    }
    return out;
}

// Splits "host:port" and "[v6]:port"; a port that is not a number stays in the host.
void splitPort(ProbeTarget& target) {
    std::string_view host = target.host;
    size_t colon = host.rfind(':');
    const bool bracketed = host.starts_with('[');
    if (bracketed) {
        const size_t close = host.find(']');
        if (close == std::string_view::npos) colon = std::string_view::npos;
        if (close != std::string_view::npos && colon != close + 1) colon = std::string_view::npos;
    } else if (colon != std::string_view::npos && host.find(':') != colon) {
        colon = std::string_view::npos;  // a bare v6 address has no port
    }
    std::string_view name = host;
    if (colon != std::string_view::npos) {
        auto port = parseNumber<std::uint16_t>(host.substr(colon + 1));
        if (port && *port != 0) {
            target.port = *port;
            name = host.substr(0, colon);
        }
    }
    if (bracketed && name.size() >= 2 && name.back() == ']') name = name.substr(1, name.size() - 2);
    target.connectHost = std::string(name);
}

// "scheme://host" of an address the probe can fetch.
std::string originOf(std::string_view url) {
    const size_t schemeEnd = url.find("://");
    // The host ends at the path, the query or the fragment, whichever comes first.
    const size_t hostEnd = url.find_first_of("/?#", schemeEnd + 3);
    return std::string(url.substr(0, hostEnd));
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
    // The host ends at the path, the query or the fragment ("http://h?x=1", "http://h#top").
    const size_t hostEnd = std::min(u.find_first_of("/?#"), u.size());
    target.host = u.substr(0, hostEnd);
    std::string path = u.substr(hostEnd);
    if (!path.starts_with('/')) path.insert(0, 1, '/');
    // The fragment belongs to the browser, not to the request.
    path.resize(std::min(path.find('#'), path.size()));
    target.path = encodeTarget(path);
    splitPort(target);
    return target;
}

std::string requestText(const ProbeTarget& target, const RequestIdentity& identity,
                        std::string_view cookies) {
    std::string request = "GET " + target.path + " HTTP/1.1\r\nHost: " + target.host +
                          "\r\nConnection: keep-alive\r\nUser-Agent: " + identity.userAgent +
                          "\r\nAccept: " + identity.accept +
                          "\r\nAccept-Language: " + identity.acceptLanguage +
                          "\r\nAccept-Encoding: gzip, deflate\r\n";
    if (!cookies.empty()) request += "Cookie: " + std::string(cookies) + "\r\n";
    return request + "\r\n";
}

std::string resolveLocation(std::string_view base, std::string_view location) {
    location = trimmedBlanks(location);
    if (startsWithIgnoringCase(location, kHttp))
        return std::string(kHttp) + std::string(location.substr(7));
    if (startsWithIgnoringCase(location, kHttps)) {
        return std::string(kHttps) + std::string(location.substr(8));
    }
    const size_t colon = location.find(':');
    const size_t firstSlash = location.find('/');
    if (colon != std::string_view::npos &&
        (firstSlash == std::string_view::npos || colon < firstSlash)) {
        return {};  // another scheme
    }
    const std::string scheme = base.starts_with(kHttps) ? "https:" : "http:";
    if (location.starts_with("//")) return scheme + std::string(location);
    const std::string origin = originOf(base);
    if (location.starts_with('/')) return origin + std::string(location);
    std::string_view path = base.substr(std::min(origin.size(), base.size()));
    path = path.substr(0, path.find('#'));
    if (location.starts_with('?'))
        return origin + std::string(path.substr(0, path.find('?'))) + std::string(location);
    path = path.substr(0, path.find('?'));
    const size_t lastSlash = path.rfind('/');
    const std::string_view directory =
        lastSlash == std::string_view::npos ? "/" : path.substr(0, lastSlash + 1);
    return origin + std::string(directory) + std::string(location);
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

ImmediatePageReader PageProbe::immediateReader_;
const RequestIdentity PageProbe::defaultIdentity_;

PageProbe::PageProbe(Socket& socket, StatusPanels& status, ProbePorts ports, ProbeLimits limits,
                     ProbeClock clock)
    : socket_(socket), status_(status), ports_(ports), limits_(limits), clock_(std::move(clock)) {
    if (!clock_) {
        clock_ = [] {
            return std::chrono::duration_cast<std::chrono::milliseconds>(
                       std::chrono::steady_clock::now().time_since_epoch())
                .count();
        };
    }
    socket_.setEvents(this);
}

PageProbe::~PageProbe() {
    socket_.setEvents(nullptr);
    socket_.stopIdleTimer();
    socket_.close();
}

void PageProbe::stopMeasuring() {
    socket_.stopIdleTimer();
    socket_.close();
    kept_.reset();
    ++*ticket_;  // a page being read reports nothing
    if (active() || state_ == State::Reading) state_ = State::Idle;
    pendingFailure_.clear();
}

void PageProbe::start(const std::string& url) {
    ++*ticket_;
    url_ = url;
    visited_.clear();
    redirects_ = 0;
    pendingFailure_.clear();
    startedMs_ = clock_();
    status_.setPanelText(3, "");
    if (url.find_first_of("\r\n") != std::string::npos) {
        // Such an address would split the request; it fails as soon as the timer fires.
        socket_.close();
        kept_.reset();
        state_ = State::Connecting;
        pendingFailure_ = "the address holds a line break";
        socket_.startIdleTimer(0);
        return;
    }
    connectTo(url);
}

// One exchange: the first, or the next after a redirection.
void PageProbe::connectTo(const std::string& url) {
    current_ = url;
    visited_.push_back(url);
    target_ = parseProbeUrl(url);
    headerSeen_ = false;
    contentLength_ = 0;
    bodyBytes_ = 0;
    line_.clear();
    contentLengthLineSeen_ = false;
    headerContentLength_ = 0;
    endMatch_ = 0;
    lineIndex_ = 0;
    statusCode_ = 0;
    reasonPhrase_.clear();
    cfChallenge_ = false;
    location_.clear();
    declaredLength_.reset();
    chunked_ = false;
    bodyTail_.clear();
    content_ = BodyReader(0, false);
    serverCloses_ = false;
    answered_ = false;
    contentEncoding_.clear();
    const std::uint16_t port = target_.port  ? *target_.port
                               : target_.tls ? ports_.https
                                             : ports_.http;
    endpoint_ = {target_.connectHost, port, target_.tls};
    touch();
    // The connection that served the last page of this server serves this one too.
    if (kept_ && *kept_ == endpoint_) {
        kept_.reset();
        reused_ = true;
        sendRequest();
        return;
    }
    openConnection();
}

void PageProbe::openConnection() {
    kept_.reset();
    reused_ = false;
    answered_ = false;
    socket_.close();  // an exchange still running is dropped and reports nothing
    status_.setPanelText(2, "Connecting to the web server");
    state_ = State::Connecting;
    ++connectionsOpened_;
    socket_.connect(endpoint_.host, endpoint_.port, endpoint_.tls);
}

void PageProbe::sendRequest() {
    state_ = State::Sending;
    const std::string cookies =
        cookies_ ? cookies_->headerFor(target_.host, target_.path, target_.tls, secondsNow())
                 : std::string();
    socket_.send(requestText(target_, *identity_, cookies));
}

bool PageProbe::retriedOnNewConnection() {
    if (!reused_ || answered_) return false;
    openConnection();
    return true;
}

bool PageProbe::active() const {
    return state_ == State::Connecting || state_ == State::Sending ||
           state_ == State::ReceivingHeader || state_ == State::ReceivingBody;
}

// Restarts the silence timer, but never past the page's deadline.
void PageProbe::touch() {
    const std::int64_t left = startedMs_ + limits_.pageMs - clock_();
    // Timers may fire a little early, so which limit the timer stands for is kept.
    timerIsDeadline_ = left <= limits_.silenceMs;
    socket_.startIdleTimer(static_cast<int>(std::clamp<std::int64_t>(left, 0, limits_.silenceMs)));
}

void PageProbe::onConnected() {
    if (state_ != State::Connecting || !pendingFailure_.empty()) return;
    touch();
    sendRequest();
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
    if (clock_() - startedMs_ >= limits_.pageMs) return fail(deadlineText(limits_.pageMs));
    touch();
    answered_ = true;
    status_.setPanelText(2, "Receiving response");
    if (headerSeen_) {
        bodyBytes_ += static_cast<std::int64_t>(bytes.size());
        countBody(bytes);
        if (state_ != State::ReceivingBody) return;
        if (auto text = progressText(bodyBytes_, contentLength_)) status_.setPanelText(3, *text);
        return;
    }
    state_ = State::ReceivingHeader;
    size_t headerEnd = scanHeader(bytes);
    if (headerEnd == std::string_view::npos) {
        // Until the header end is found every byte counts.
        bodyBytes_ += static_cast<std::int64_t>(bytes.size());
        if (bodyBytes_ > limits_.maxBodyBytes) fail(std::string(kTooLarge));
        return;
    }
    // The header end lies in this chunk: what follows it is the body received so far. No
    // progress text for this chunk.
    headerSeen_ = true;
    contentLength_ = headerContentLength_;
    state_ = State::ReceivingBody;
    line_.clear();
    line_.shrink_to_fit();
    bodyBytes_ = static_cast<std::int64_t>(bytes.size() - headerEnd);
    content_ = BodyReader(kKeptBodyBytes, chunked_);
    if (!contentEncoding_.empty()) {
        auto decoder = ContentDecoder::forEncoding(contentEncoding_, limits_.maxBodyBytes);
        if (!decoder)
            return fail("the page came in an encoding that cannot be read (" + contentEncoding_ +
                        ")");
        content_.decodeWith(std::move(*decoder));
    }
    headerEnded();
    if (state_ == State::ReceivingBody) countBody(bytes.substr(headerEnd));
}

// At the header's end: a redirection is followed at once.
void PageProbe::headerEnded() {
    const bool redirect = statusCode_ == 301 || statusCode_ == 302 || statusCode_ == 303 ||
                          statusCode_ == 307 || statusCode_ == 308;
    if (!redirect || location_.empty()) return;
    const std::string next = resolveLocation(current_, location_);
    if (next.empty()) return fail("the page moved to " + location_ + ", which cannot be fetched");
    if (redirects_ >= limits_.maxRedirects ||
        std::find(visited_.begin(), visited_.end(), next) != visited_.end()) {
        return fail(std::string(kTooManyRedirections));
    }
    ++redirects_;
    connectTo(next);
}

// Body bytes (bodyBytes_ already counts them): the size cap, the end of a Content-Length,
// and the last bytes of a chunked body.
void PageProbe::countBody(std::string_view body) {
    if (bodyBytes_ > limits_.maxBodyBytes) return fail(std::string(kTooLarge));
    content_.feed(body);
    if (const auto& decoder = content_.decoder()) {
        // The cap holds for what the page is once decoded.
        if (decoder->error() == ContentDecoder::Error::TooLarge) {
            return fail(std::string(kTooLarge));
        }
        if (decoder->error() != ContentDecoder::Error::None) {
            return fail("the page's compressed content is damaged");
        }
    }
    if (chunked_) {
        bodyTail_ += body.substr(body.size() - std::min(body.size(), kChunkedEnd.size()));
        if (bodyTail_.size() > kChunkedEnd.size()) {
            bodyTail_.erase(0, bodyTail_.size() - kChunkedEnd.size());
        }
        if (content_.ended()) complete(true);
        return;
    }
    if (declaredLength_ && bodyBytes_ >= *declaredLength_) {
        // The whole body is in; the server may keep the connection open.
        bodyBytes_ = *declaredLength_;
        complete(true);
    }
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
    if (lineIndex_++ == 0) {
        // "HTTP/1.1 301 Moved Permanently"; an HTTP/1.0 server closes unless it says otherwise.
        serverCloses_ = !line_.starts_with("HTTP/1.1");
        const size_t space = line_.find(' ');
        if (line_.starts_with("HTTP/") && space != std::string::npos) {
            statusCode_ =
                parseNumber<int>(std::string_view(line_).substr(space + 1, 3)).value_or(0);
            if (line_.size() > space + 5) {
                reasonPhrase_ = trimmedBlanks(std::string_view(line_).substr(space + 5));
            }
        }
    }
    const size_t colon = line_.find(':');
    if (colon != std::string::npos) {
        const std::string_view name = trimmedBlanks(std::string_view(line_).substr(0, colon));
        const std::string_view value = trimmedBlanks(std::string_view(line_).substr(colon + 1));
        auto is = [name](std::string_view wanted) { return equalsIgnoringCase(name, wanted); };
        if (is("location") && location_.empty()) location_ = std::string(value);
        if (is("connection")) {
            serverCloses_ = containsIgnoringCase(value, "close") ||
                            (serverCloses_ && !containsIgnoringCase(value, "keep-alive"));
        }
        if (is("content-encoding")) {
            contentEncoding_ = std::string(value);
            if (startsWithIgnoringCase(contentEncoding_, "identity")) contentEncoding_.clear();
        }
        if (is("set-cookie") && cookies_) {
            cookies_->setFromHeader(value, target_.host, target_.path, target_.tls, secondsNow());
        }
        if (is("cf-mitigated") && startsWithIgnoringCase(value, "challenge")) cfChallenge_ = true;
        if (is("content-length") && !declaredLength_) {
            auto length = parseNumber<std::int64_t>(value);
            if (length && *length >= 0) declaredLength_ = length;
        }
        if (is("transfer-encoding")) {
            chunked_ = containsIgnoringCase(value, "chunked");
        }
    }
    // The first line that holds "Content-Length" anywhere decides the progress text,
    // readable or not.
    if (contentLengthLineSeen_ || line_.find("Content-Length") == std::string::npos) return;
    contentLengthLineSeen_ = true;
    headerContentLength_ = parseContentLength(line_);
}

void PageProbe::onClosedByServer() {
    if (!active()) {
        kept_.reset();  // the kept connection went idle and the server closed it
        return;
    }
    if (retriedOnNewConnection()) return;
    if (headerSeen_) {
        // A message whose length is known must have arrived whole.
        if (chunked_ && bodyTail_ != kChunkedEnd) return fail(std::string(kCutOff));
        if (!chunked_ && declaredLength_ && bodyBytes_ < *declaredLength_) {
            return fail(std::string(kCutOff));
        }
    }
    complete();
}

void PageProbe::complete(bool whole) {
    socket_.stopIdleTimer();
    state_ = State::Reading;
    if (whole && !serverCloses_) {
        kept_ = endpoint_;
    } else {
        socket_.close();
    }
    // A compressed page is measured by what it holds, as the same page uncompressed is.
    if (auto& decoder = content_.decoder()) {
        if (!decoder->finish()) {
            kept_.reset();
            socket_.close();
            return fail(std::string(kCutOff));
        }
        bodyBytes_ = decoder->decodedBytes();
    }
    // The answer comes from the reader, perhaps later; a start or stop meanwhile drops it.
    const std::weak_ptr<std::uint64_t> ticket = ticket_;
    const std::uint64_t asked = *ticket_;
    reader_->read(content_.take(), {statusCode_, cfChallenge_, redirects_ > 0},
                  [this, ticket, asked](PageFacts facts) {
                      const auto current = ticket.lock();
                      if (!current || *current != asked || state_ != State::Reading) return;
                      finish(std::move(facts));
                  });
    content_ = BodyReader(0, false);
}

void PageProbe::finish(PageFacts facts) {
    state_ = State::Done;
    const bool postsRead = !facts.posts.engine.empty();
    // A page that stands where the thread should is no measurement of it.
    switch (facts.problem) {
        case PageProblem::Challenge:
            return fail({std::string(kChallenged), FailureKind::Challenge}, true);
        case PageProblem::LoginRequired:
            return fail({std::string(kMembersOnly) + "; log in to " + target_.host +
                             " in the browser again",
                         FailureKind::LoginRequired},
                        true);
        case PageProblem::Missing:
            return fail({std::string(kMissingThread), FailureKind::Missing}, true);
        case PageProblem::None:
            if (statusCode_ >= 400)
                return fail({"the forum answered " + statusText(), FailureKind::ErrorStatus}, true);
            break;
    }
    MeasuredPage page(bodyBytes_, std::move(facts.title));
    page.address = current_.substr(0, current_.find('#'));
    if (!facts.links.next.empty()) page.nextPage = resolveLocation(current_, facts.links.next);
    if (!facts.links.canonical.empty())
        page.canonical = resolveLocation(current_, facts.links.canonical);
    page.postsRead = postsRead;
    if (postsRead) {
        for (ForumPost& post : facts.posts.posts) {
            if (!post.address.empty()) post.address = resolveLocation(current_, post.address);
        }
        page.posts = std::move(facts.posts.posts);
        page.latestPostCount = static_cast<int>(page.posts.size());
    }
    if (client_) client_->onMeasured(page);
}

// "404 Not Found": the status and the server's reason phrase, or HTTP's own name for the
// status when the server sent none.
std::string PageProbe::statusText() const {
    std::string reason = reasonPhrase_;
    if (reason.empty()) {
        static const std::pair<int, std::string_view> kNames[] = {{400, "Bad Request"},
                                                                  {401, "Unauthorized"},
                                                                  {403, "Forbidden"},
                                                                  {404, "Not Found"},
                                                                  {410, "Gone"},
                                                                  {429, "Too Many Requests"},
                                                                  {500, "Internal Server Error"},
                                                                  {502, "Bad Gateway"},
                                                                  {503, "Service Unavailable"},
                                                                  {504, "Gateway Timeout"}};
        for (const auto& [code, name] : kNames) {
            if (code == statusCode_) reason = name;
        }
    }
    return std::to_string(statusCode_) + (reason.empty() ? "" : " " + reason);
}

void PageProbe::onError(const std::string& text) {
    if (!active()) {
        kept_.reset();
        return;
    }
    if (retriedOnNewConnection()) return;
    fail(text);
}

void PageProbe::onTimeout() {
    if (!active()) return;
    if (!pendingFailure_.empty()) return fail(pendingFailure_);
    if (timerIsDeadline_) return fail(deadlineText(limits_.pageMs));
    if (retriedOnNewConnection()) return;  // a kept connection that went dead unnoticed
    fail(timeoutText(limits_.silenceMs));
}

void PageProbe::fail(const MeasureFailure& failure, bool keepConnection) {
    socket_.stopIdleTimer();
    state_ = State::Failed;
    if (!keepConnection || !kept_) {
        socket_.close();
        kept_.reset();
    }
    status_.setPanelText(2, "Could not reach " + withHiddenPassword(url_) + ": " + failure.reason);
    if (client_) client_->onMeasureFailed(failure);
}

}  // namespace boardcast
