#include "net/cookie_jar.h"

#include <gtest/gtest.h>

namespace boardcast {
namespace {

constexpr std::int64_t kNow = 1445412000;  // 480 s before 21 Oct 2015 07:28:00 UTC

struct Url {
    std::string host, path;
    bool secure;
};

Url splitUrl(std::string_view url) {
    const bool secure = url.starts_with("https://");
    url.remove_prefix(secure ? 8 : 7);
    const size_t slash = url.find('/');
    return {std::string(url.substr(0, slash)),
            slash == std::string_view::npos ? "/" : std::string(url.substr(slash)), secure};
}

TEST(CookieJar, KeepsAndSendsCookiesAsABrowserDoes) {
    struct Row {
        std::vector<std::string> setCookies;
        std::string from, to, sent;
        std::int64_t later = 0;  // seconds after kNow that the request is made
    };
    const std::string mixedCase = "a=1; PATH=/x; SECURE; hTTPonly; max-AGE=5";
    const Row rows[] = {
        // Host-only cookies go to that host alone, on any port.
        {{"a=1"}, "http://Example.com:8080/", "http://example.COM/", "a=1"},
        {{"a=1"}, "http://example.com/", "http://www.example.com/", ""},
        {{"a=1"}, "http://example.com/", "http://evil-example.com/", ""},
        {{"a=1"}, "http://[::1]:8080/", "http://[::1]/", "a=1"},
        // Domain cookies go to the domain and below it, nowhere else.
        {{"a=1; Domain=.Example.COM"}, "http://www.example.com/", "http://example.com/", "a=1"},
        {{"a=1; Domain=example.com"}, "http://example.com/", "http://a.b.example.com/", "a=1"},
        {{"a=1; Domain=example.com"}, "http://example.com/", "http://evil-example.com/", ""},
        {{"a=1; Domain=example.com"}, "http://example.com/", "http://example.org/", ""},
        {{"a=1; domain=other.com"}, "http://example.com/", "http://other.com/", ""},
        {{"a=1; domain=other.com"}, "http://example.com/", "http://example.com/", ""},
        {{"a=1; Domain=www.example.com"}, "http://example.com/", "http://www.example.com/", ""},
        {{"a=1; Domain=com"}, "http://example.com/", "http://com/", ""},
        {{"a=1; Domain=5.6.7.8"}, "http://1.2.3.4/", "http://5.6.7.8/", ""},
        {{"a=1; Domain=2.3.4"}, "http://1.2.3.4/", "http://1.2.3.4/", ""},
        {{"a=1; Domain=1.2.3.4"}, "http://1.2.3.4/", "http://1.2.3.4/", "a=1"},
        {{"a=1; Domain="}, "http://example.com/", "http://example.com/", "a=1"},
        // Path matching, and the default path of the request's directory.
        {{"a=1; Path=/forum"}, "http://h/", "http://h/forum", "a=1"},
        {{"a=1; Path=/forum"}, "http://h/", "http://h/forum/x?y=1", "a=1"},
        {{"a=1; Path=/forum"}, "http://h/", "http://h/forums", ""},
        {{"a=1"}, "http://h/forum/thread?id=1/2", "http://h/forum/other", "a=1"},
        {{"a=1"}, "http://h/forum/thread", "http://h/", ""},
        {{"a=1; Path=relative"}, "http://h/forum/thread", "http://h/forumx", ""},
        {{"a=1"}, "http://h/top", "http://h/", "a=1"},
        // Secure cookies are only taken from and sent over TLS.
        {{"a=1; Secure"}, "https://h/", "https://h/", "a=1"},
        {{"a=1; Secure"}, "https://h/", "http://h/", ""},
        {{"a=1; Secure"}, "http://h/", "https://h/", ""},
        // Expiry: Expires read in its several forms, Max-Age over Expires, 0 deletes.
        {{"a=1; Expires=Wed, 21 Oct 2015 07:28:00 GMT"}, "http://h/", "http://h/", "a=1", 479},
        {{"a=1; Expires=Wed, 21 Oct 2015 07:28:00 GMT"}, "http://h/", "http://h/", "", 480},
        {{"a=1; expires=Wednesday, 21-Oct-15 07:28:00 GMT"}, "http://h/", "http://h/", "", 480},
        {{"a=1; Expires=Wed Oct 21 07:28:00 2015"}, "http://h/", "http://h/", "a=1", 479},
        {{"a=1; Expires=Thu, 01-Jan-70 00:00:00 GMT"}, "http://h/", "http://h/", ""},
        {{"a=1; Expires=Feb 30 2016 00:00:00"}, "http://h/", "http://h/", "a=1", 100000000},
        {{"a=1; Expires=Thu, 01 Jan 1970 00:00:00 GMT; Max-Age=100"},
         "http://h/",
         "http://h/",
         "a=1",
         99},
        {{"a=1; Max-Age=100"}, "http://h/", "http://h/", "", 100},
        {{"a=1; Max-Age=100; Max-Age=x"}, "http://h/", "http://h/", "", 100},
        {{"a=1", "a=; Max-Age=0"}, "http://h/", "http://h/", ""},
        {{"a=1", "a=2; Max-Age=-1", "b=2"}, "http://h/", "http://h/", "b=2"},
        {{"a=1; Max-Age=99999999999999999999999"}, "http://h/", "http://h/", "", 400 * 86400},
        // Longer paths first, then older; a replaced cookie keeps its place.
        {{"a=1; Path=/", "b=2; Path=/f", "c=3"}, "http://h/f/x", "http://h/f/y", "b=2; c=3; a=1"},
        {{"a=1", "b=2", "a=3"}, "http://h/", "http://h/", "a=3; b=2"},
        {{"a=1", "a=2; Domain=h.org"}, "http://h.org/", "http://h.org/", "a=2"},
        // Names and values as browsers read them; bad ones are dropped.
        {{" a = b c ", "=v", "novalue", " =x", "x\x01y=1", "z=1\x7f"},
         "http://h/",
         "http://h/",
         "a=b c"},
        {{mixedCase}, "https://h/", "https://h/x", "a=1", 4},
        {{mixedCase}, "https://h/", "https://h/x", "", 5},
    };
    for (const Row& r : rows) {
        CookieJar jar;
        const Url from = splitUrl(r.from), to = splitUrl(r.to);
        for (const std::string& header : r.setCookies) {
            jar.setFromHeader(header, from.host, from.path, from.secure, kNow);
        }
        EXPECT_EQ(jar.headerFor(to.host, to.path, to.secure, kNow + r.later), r.sent)
            << r.setCookies.back() << " from " << r.from << " to " << r.to;
    }
}

TEST(CookieJar, StaysBoundedWhateverServersSend) {
    CookieJar jar;
    jar.setFromHeader("a=" + std::string(100000, 'x'), "h", "/", false, kNow);
    jar.setFromHeader("b=1; Path=/" + std::string(100000, 'p'), "h", "/", false, kNow);
    EXPECT_EQ(jar.size(), 0u);
    std::string manyAttributes = "c=1";
    for (int i = 0; i < 20000; ++i) manyAttributes += "; Domain=h; x";
    jar.setFromHeader(manyAttributes, "h", "/", false, kNow);
    EXPECT_EQ(jar.headerFor("h", "/", false, kNow), "c=1");

    jar.clear();
    for (int i = 0; i < 5000; ++i) {
        const std::string n = std::to_string(i);
        jar.setFromHeader("c" + n + "=1; Domain=example.com", "www.example.com", "/", false, kNow);
        jar.setFromHeader("h" + n + "=1", "www.example.com", "/", false, kNow);
    }
    EXPECT_EQ(jar.size(), 2 * CookieJar::kMaxCookiesPerDomain);
    const std::string sent = jar.headerFor("www.example.com", "/", false, kNow);
    EXPECT_NE(sent.find("c4999=1"), std::string::npos);
    EXPECT_EQ(sent.find("c4949=1"), std::string::npos);

    // Across many domains the oldest go, after any that have expired.
    jar.clear();
    for (int i = 0; i < 3100; ++i) {
        const std::int64_t at = i < 1000 ? kNow : kNow + 1;
        if (i == 1000) jar.set({"short", "1", "short.example", true, "/", false, false, at}, kNow);
        jar.set({.name = "n", .value = "1", .domain = "d" + std::to_string(i) + ".example"}, at);
    }
    EXPECT_EQ(jar.size(), CookieJar::kMaxCookies);
    EXPECT_EQ(jar.headerFor("d99.example", "/", false, kNow), "");
    EXPECT_EQ(jar.headerFor("d100.example", "/", false, kNow), "n=1");
}

TEST(CookieJar, PersistentTextKeepsOnlyLastingCookies) {
    CookieJar jar;
    jar.set({"sid", "a\\b", ".Forum.Example", false, "/f", true, true, kNow + 500}, kNow);
    jar.set({"pref", "1", "forum.example", true, "/", false, false, kNow + 600}, kNow);
    jar.set({.name = "session", .value = "1", .domain = "forum.example"}, kNow);
    jar.set({"short", "1", "forum.example", true, "/", false, false, kNow + 10}, kNow);
    for (const char* bad : {"bad;name", "bad=name", ""}) {
        jar.set({bad, "1", "forum.example", true, "/", false, false, kNow + 10}, kNow);
    }
    EXPECT_EQ(jar.size(), 4u);

    const std::string text = jar.persistentText(kNow + 20);
    const std::string junk = "junk\r\na\tb\r\nx\t2\t/\t0\t0\t1\tn\tv\r\n\r\n";
    const CookieJar read = CookieJar::fromText(junk + text, kNow + 20);
    EXPECT_EQ(read.size(), 2u);
    EXPECT_EQ(read.persistentText(kNow + 20), text);
    for (const bool secure : {false, true}) {
        EXPECT_EQ(read.headerFor("www.forum.example", "/f/1", secure, kNow + 20),
                  secure ? "sid=a\\b" : "");
        EXPECT_EQ(read.headerFor("forum.example", "/f", secure, kNow + 20),
                  secure ? "sid=a\\b; pref=1" : "pref=1");
    }
    EXPECT_EQ(CookieJar::fromText(text, kNow + 550).size(), 1u);

    CookieJar copy = read;
    copy.remove("pref", "FORUM.example", "/");
    EXPECT_EQ(copy.headerFor("forum.example", "/", false, kNow), "");
}

}  // namespace
}  // namespace boardcast
