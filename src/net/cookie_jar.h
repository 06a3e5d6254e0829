#pragma once
// Cookies for the page probe's requests, kept and sent as a browser does (RFC 6265): the
// cookies the user's browser holds are copied in, those that servers set during a check are
// added, and each request gets the ones for its host and path.
//
// Host names are compared without regard to ASCII case, and a ":port" after a host is
// ignored, since cookies do not depend on the port. Sizes are bounded so that a hostile
// server cannot grow the jar without end: a cookie larger than kMaxCookieBytes is refused,
// and beyond kMaxCookiesPerDomain for one domain or kMaxCookies in all, expired cookies go
// first and then the oldest.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace boardcast {

struct Cookie {
    std::string name;
    std::string value;
    std::string domain;    // lower case, without a leading dot
    bool hostOnly = true;  // set without a Domain attribute: sent to that exact host only
    std::string path = "/";
    bool secure = false;  // sent over TLS only
    bool httpOnly = false;
    std::optional<std::int64_t> expires = {};  // seconds since the epoch; none: a session cookie
};

class CookieJar {
public:
    static constexpr size_t kMaxCookieBytes = 4096;  // name, value, domain and path together
    static constexpr size_t kMaxCookiesPerDomain = 50;
    static constexpr size_t kMaxCookies = 3000;
    // Max-Age and Expires from a server reach no further than this into the future.
    static constexpr std::int64_t kMaxLifetimeSeconds = std::int64_t{400} * 86400;

    // Adds the cookie, or replaces the one of the same name, domain and path, which keeps its
    // place in the order of creation. An expired cookie only removes the stored one. Refused:
    // no name or no domain, control characters, ";" anywhere or "=" in the name, too large.
    void set(Cookie cookie, std::int64_t now);
    void remove(std::string_view name, std::string_view domain, std::string_view path);

    // One Set-Cookie header value that host answered for requestPath (query allowed), kept
    // as a browser keeps it. Max-Age wins over Expires. A Domain that the host does not
    // domain-match drops the cookie, as does one without a dot or that is an IP address,
    // unless it is the host itself (the cookie is then host-only); Secure on a request that
    // was not secure drops it too. A missing or relative Path gives the request's default
    // path. Attribute names are read in any case; the last of each counts.
    void setFromHeader(std::string_view headerValue, std::string_view host,
                       std::string_view requestPath, bool secureRequest, std::int64_t now);

    // The Cookie header value for a request, "" when no cookie fits: those whose domain and
    // path match and that have not expired, Secure ones only over TLS; longer paths first,
    // then in order of creation, as "a=1; b=2".
    std::string headerFor(std::string_view host, std::string_view path, bool secure,
                          std::int64_t now) const;

    // The persistent cookies that have not expired, for a file: one line each, in order of
    // creation, fields escaped and tab-separated. Session cookies are never written.
    std::string persistentText(std::int64_t now) const;
    // Reads such text back; lines that cannot be read are skipped.
    static CookieJar fromText(std::string_view text, std::int64_t now);

    size_t size() const { return cookies_.size(); }
    // Forgets every cookie, for the desktop program that mirrors its browser's cookies.
    void clear() { cookies_.clear(); }

private:
    void keepWithinLimits(const std::string& domain, std::int64_t now);

    std::vector<Cookie> cookies_;  // in order of creation
};

}  // namespace boardcast
