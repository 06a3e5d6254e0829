#include "net/cookie_jar.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <limits>

#include "core/storage/text_file.h"
#include "core/text/ascii.h"

namespace boardcast {

namespace {

constexpr std::int64_t kLongExpired = std::numeric_limits<std::int64_t>::min();
constexpr size_t kTextFields = 8;

// The host in lower case without its ":port"; "[v6]" keeps its brackets.
std::string hostKey(std::string_view host) {
    if (host.starts_with('[')) {
        const size_t close = host.find(']');
        if (close != std::string_view::npos) host = host.substr(0, close + 1);
    } else if (host.find(':') == host.rfind(':')) {
        host = host.substr(0, host.find(':'));
    }
    return asciiLowered(host);
}

// An IPv6 address, or one that ends in a number as IPv4 addresses do (browsers read
// "1.2.3" and "0x7f.1" as addresses too).
bool isIpAddress(std::string_view host) {
    if (host.find_first_of("[:") != std::string_view::npos) return true;
    if (host.ends_with('.')) host.remove_suffix(1);
    const size_t dot = host.rfind('.');
    return isAsciiDigits(dot == std::string_view::npos ? host : host.substr(dot + 1));
}

bool domainMatches(std::string_view host, std::string_view domain) {
    if (host == domain) return true;
    return host.size() > domain.size() && host.ends_with(domain) &&
           host[host.size() - domain.size() - 1] == '.' && !isIpAddress(host);
}

// The path of a request target, without its query or fragment; "/" when it has none.
std::string_view uriPath(std::string_view target) {
    target = target.substr(0, target.find_first_of("?#"));
    return target.starts_with('/') ? target : "/";
}

// The directory of the request path, where a cookie without a Path applies.
std::string defaultPath(std::string_view requestPath) {
    const std::string_view path = uriPath(requestPath);
    const size_t slash = path.rfind('/');
    return slash == 0 ? "/" : std::string(path.substr(0, slash));
}

bool pathMatches(std::string_view path, std::string_view cookiePath) {
    if (!path.starts_with(cookiePath)) return false;
    return path.size() == cookiePath.size() || cookiePath.ends_with('/') ||
           path[cookiePath.size()] == '/';
}

bool hasControl(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; });
}

bool acceptable(const Cookie& c) {
    if (c.name.empty() || c.domain.empty()) return false;
    if (c.name.size() + c.value.size() + c.domain.size() + c.path.size() >
        CookieJar::kMaxCookieBytes) {
        return false;
    }
    for (const std::string* field : {&c.name, &c.value, &c.domain, &c.path}) {
        if (hasControl(*field) || field->find(';') != std::string::npos) return false;
    }
    return c.name.find('=') == std::string::npos;
}

bool expired(const Cookie& c, std::int64_t now) {
    return c.expires && *c.expires <= now;
}

// The cookie-date separators of RFC 6265 5.1.1.
bool isDateDelimiter(char ch) {
    const auto c = static_cast<unsigned char>(ch);
    return c == 0x09 || (c >= 0x20 && c <= 0x2f) || (c >= 0x3b && c <= 0x40) ||
           (c >= 0x5b && c <= 0x60) || (c >= 0x7b && c <= 0x7e);
}

// Reads minDigits to maxDigits digits at text[pos], not followed by another digit.
std::optional<int> digitsAt(std::string_view text, size_t& pos, size_t minDigits,
                            size_t maxDigits) {
    size_t end = pos;
    while (end < text.size() && isAsciiDigit(text[end])) ++end;
    if (end - pos < minDigits || end - pos > maxDigits) return std::nullopt;
    int value = 0;
    for (; pos < end; ++pos) value = value * 10 + (text[pos] - '0');
    return value;
}

struct DateParts {
    std::optional<int> hour, minute, second, day, month, year;
};

bool readTime(std::string_view token, DateParts& date) {
    size_t pos = 0;
    std::array<std::optional<int>, 3> fields;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0 && (pos >= token.size() || token[pos++] != ':')) return false;
        fields[i] = digitsAt(token, pos, 1, 2);
        if (!fields[i]) return false;
    }
    date.hour = fields[0];
    date.minute = fields[1];
    date.second = fields[2];
    return true;
}

std::optional<int> monthOf(std::string_view token) {
    static constexpr std::array<std::string_view, 12> kMonths = {
        "jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"};
    for (size_t i = 0; i < kMonths.size(); ++i) {
        if (startsWithIgnoringCase(token, kMonths[i])) return static_cast<int>(i) + 1;
    }
    return std::nullopt;
}

// Each token fills the first part still missing that it can be, in the order of RFC 6265.
void readDateToken(std::string_view token, DateParts& date) {
    size_t pos = 0;
    if (!date.hour && readTime(token, date)) return;
    if (!date.day && (date.day = digitsAt(token, pos, 1, 2))) return;
    if (!date.month && (date.month = monthOf(token))) return;
    pos = 0;
    if (!date.year) date.year = digitsAt(token, pos, 2, 4);
}

// An Expires date as RFC 6265 5.1.1 reads it, in seconds since the epoch.
std::optional<std::int64_t> cookieDate(std::string_view text) {
    DateParts date;
    for (size_t i = 0; i < text.size();) {
        while (i < text.size() && isDateDelimiter(text[i])) ++i;
        const size_t start = i;
        while (i < text.size() && !isDateDelimiter(text[i])) ++i;
        if (i > start) readDateToken(text.substr(start, i - start), date);
    }
    if (!date.hour || !date.day || !date.month || !date.year) return std::nullopt;
    int year = *date.year;
    if (year >= 70 && year <= 99) year += 1900;
    if (year >= 0 && year <= 69) year += 2000;
    if (year < 1601 || *date.hour > 23 || *date.minute > 59 || *date.second > 59) {
        return std::nullopt;
    }
    const std::chrono::year_month_day ymd{std::chrono::year{year},
                                          std::chrono::month{static_cast<unsigned>(*date.month)},
                                          std::chrono::day{static_cast<unsigned>(*date.day)}};
    if (!ymd.ok()) return std::nullopt;
    const std::int64_t days = std::chrono::sys_days{ymd}.time_since_epoch().count();
    return days * 86400 + *date.hour * 3600 + *date.minute * 60 + *date.second;
}

// Max-Age's seconds, at most kMaxLifetimeSeconds; none when it is no number.
std::optional<std::int64_t> maxAgeSeconds(std::string_view value) {
    const bool negative = value.starts_with('-');
    const std::string_view digits = negative ? value.substr(1) : value;
    if (!isAsciiDigits(digits)) return std::nullopt;
    if (negative) return 0;
    std::int64_t seconds = 0;
    for (char c : digits) {
        seconds = std::min(seconds * 10 + (c - '0'), CookieJar::kMaxLifetimeSeconds);
    }
    return seconds;
}

// What the attributes of one Set-Cookie value say; the last of each kind counts.
struct Attributes {
    std::optional<std::int64_t> expires;
    std::optional<std::int64_t> maxAge;
    std::optional<std::string> domain;  // lower case, without a leading dot
    std::string path;                   // empty: the default path
    bool secure = false;
    bool httpOnly = false;
};

void readAttribute(std::string_view name, std::string_view value, Attributes& a) {
    if (equalsIgnoringCase(name, "expires")) {
        if (const auto seconds = cookieDate(value)) a.expires = seconds;
    } else if (equalsIgnoringCase(name, "max-age")) {
        if (const auto seconds = maxAgeSeconds(value)) a.maxAge = seconds;
    } else if (equalsIgnoringCase(name, "domain")) {
        if (value.starts_with('.')) value.remove_prefix(1);
        if (!value.empty()) a.domain = asciiLowered(value);
    } else if (equalsIgnoringCase(name, "path")) {
        a.path = value.starts_with('/') ? std::string(value) : std::string();
    } else if (equalsIgnoringCase(name, "secure")) {
        a.secure = true;
    } else if (equalsIgnoringCase(name, "httponly")) {
        a.httpOnly = true;
    }
}

Attributes readAttributes(std::string_view text) {
    Attributes a;
    while (!text.empty()) {
        const size_t end = text.find(';');
        const std::string_view attribute = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        const size_t equals = attribute.find('=');
        const std::string_view value =
            equals == std::string_view::npos ? std::string_view() : attribute.substr(equals + 1);
        readAttribute(trimmedBlanks(attribute.substr(0, equals)), trimmedBlanks(value), a);
    }
    return a;
}

std::optional<bool> flag(std::string_view field) {
    if (field == "1") return true;
    if (field == "0") return false;
    return std::nullopt;
}

// One line of persistentText; none when it cannot be read.
std::optional<Cookie> cookieOfLine(std::string_view line) {
    std::vector<std::string> fields;
    for (size_t start = 0; fields.size() <= kTextFields;) {
        const size_t tab = line.find('\t', start);
        fields.push_back(unescapedField(line.substr(start, tab - start)));
        if (tab == std::string_view::npos) break;
        start = tab + 1;
    }
    if (fields.size() != kTextFields || !isAsciiDigits(fields[5])) return std::nullopt;
    const auto hostOnly = flag(fields[1]), secure = flag(fields[3]), httpOnly = flag(fields[4]);
    if (!hostOnly || !secure || !httpOnly || fields[5].size() > 18) return std::nullopt;
    return Cookie{fields[6], fields[7], fields[0], *hostOnly,
                  fields[2], *secure,   *httpOnly, std::stoll(fields[5])};
}

}  // namespace

void CookieJar::set(Cookie cookie, std::int64_t now) {
    if (cookie.domain.starts_with('.')) cookie.domain.erase(0, 1);
    cookie.domain = asciiLowered(cookie.domain);
    if (!cookie.path.starts_with('/')) cookie.path = "/";
    if (!acceptable(cookie)) return;
    const auto same = std::find_if(cookies_.begin(), cookies_.end(), [&](const Cookie& c) {
        return c.name == cookie.name && c.domain == cookie.domain && c.path == cookie.path;
    });
    if (expired(cookie, now)) {
        if (same != cookies_.end()) cookies_.erase(same);
    } else if (same != cookies_.end()) {
        *same = std::move(cookie);
    } else {
        const std::string domain = cookie.domain;
        cookies_.push_back(std::move(cookie));
        keepWithinLimits(domain, now);
    }
}

void CookieJar::keepWithinLimits(const std::string& domain, std::int64_t now) {
    const auto ofDomain = [&](const Cookie& c) { return c.domain == domain; };
    const auto domainCount = [&] {
        return static_cast<size_t>(std::count_if(cookies_.begin(), cookies_.end(), ofDomain));
    };
    if (cookies_.size() <= kMaxCookies && domainCount() <= kMaxCookiesPerDomain) return;
    std::erase_if(cookies_, [now](const Cookie& c) { return expired(c, now); });
    if (domainCount() > kMaxCookiesPerDomain) {
        cookies_.erase(std::find_if(cookies_.begin(), cookies_.end(), ofDomain));
    }
    if (cookies_.size() > kMaxCookies) cookies_.erase(cookies_.begin());
}

void CookieJar::remove(std::string_view name, std::string_view domain, std::string_view path) {
    if (domain.starts_with('.')) domain.remove_prefix(1);
    const std::string key = asciiLowered(domain);
    std::erase_if(cookies_, [&](const Cookie& c) {
        return c.name == name && c.domain == key && c.path == path;
    });
}

void CookieJar::setFromHeader(std::string_view headerValue, std::string_view host,
                              std::string_view requestPath, bool secureRequest, std::int64_t now) {
    const std::string hostName = hostKey(host);
    const size_t semicolon = headerValue.find(';');
    const std::string_view pair = headerValue.substr(0, semicolon);
    const size_t equals = pair.find('=');
    if (hostName.empty() || equals == std::string_view::npos) return;
    const Attributes a =
        readAttributes(semicolon == std::string_view::npos ? std::string_view()
                                                           : headerValue.substr(semicolon + 1));
    if (a.secure && !secureRequest) return;

    Cookie cookie;
    if (a.domain) {
        // A domain cookie needs a registrable-looking name; an IP address or a dotless name
        // only ever stands for the host itself.
        const bool wide = a.domain->find('.') != std::string::npos && !isIpAddress(*a.domain);
        if (!domainMatches(hostName, *a.domain) || (!wide && *a.domain != hostName)) return;
        cookie.hostOnly = !wide;
    }
    cookie.name = trimmedBlanks(pair.substr(0, equals));
    cookie.value = trimmedBlanks(pair.substr(equals + 1));
    cookie.domain = a.domain.value_or(hostName);
    cookie.path = a.path.empty() ? defaultPath(requestPath) : a.path;
    cookie.secure = a.secure;
    cookie.httpOnly = a.httpOnly;
    if (a.maxAge) {
        cookie.expires = *a.maxAge <= 0 ? kLongExpired : now + *a.maxAge;
    } else if (a.expires) {
        cookie.expires = std::min(*a.expires, now + kMaxLifetimeSeconds);
    }
    set(std::move(cookie), now);
}

std::string CookieJar::headerFor(std::string_view host, std::string_view path, bool secure,
                                 std::int64_t now) const {
    const std::string hostName = hostKey(host);
    const std::string_view requestPath = uriPath(path);
    std::vector<const Cookie*> sent;
    for (const Cookie& c : cookies_) {
        const bool hostFits = c.hostOnly ? c.domain == hostName : domainMatches(hostName, c.domain);
        if (hostFits && pathMatches(requestPath, c.path) && (secure || !c.secure) &&
            !expired(c, now)) {
            sent.push_back(&c);
        }
    }
    std::stable_sort(sent.begin(), sent.end(), [](const Cookie* a, const Cookie* b) {
        return a->path.size() > b->path.size();
    });
    std::string header;
    for (const Cookie* c : sent) {
        if (!header.empty()) header += "; ";
        header += c->name + "=" + c->value;
    }
    return header;
}

std::string CookieJar::persistentText(std::int64_t now) const {
    std::string text;
    for (const Cookie& c : cookies_) {
        if (!c.expires || expired(c, now)) continue;
        const std::string fields[kTextFields] = {c.domain,
                                                 c.hostOnly ? "1" : "0",
                                                 c.path,
                                                 c.secure ? "1" : "0",
                                                 c.httpOnly ? "1" : "0",
                                                 std::to_string(*c.expires),
                                                 c.name,
                                                 c.value};
        for (size_t i = 0; i < kTextFields; ++i) {
            text += (i > 0 ? "\t" : "") + escapedField(fields[i]);
        }
        text += kCrLf;
    }
    return text;
}

CookieJar CookieJar::fromText(std::string_view text, std::int64_t now) {
    CookieJar jar;
    for (const std::string& line : splitLines(text)) {
        if (auto cookie = cookieOfLine(line)) jar.set(std::move(*cookie), now);
    }
    return jar;
}

}  // namespace boardcast
