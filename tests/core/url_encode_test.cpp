#include "core/url_encode.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/link_templates.h"
#include "core/message_output.h"

namespace boardcast {
namespace {

const LinkStrings kHtml{"<a href='", "'>", "</a>", "mailto:"};
const LinkStrings kUbb{"[url=", "]", "[/url]", "mailto:"};
const LinkStrings kEz{"[link=", "]", "[/link]", "mailto:"};
const LinkStrings kEmpty{"", "", "", ""};

std::string H(const std::string& u) { return "<a href='" + u + "'>" + u + "</a>"; }
std::string M(const std::string& a) { return "<a href='mailto:" + a + "'>" + a + "</a>"; }

struct Case {
    const char* what;
    std::string input;
    std::string expected;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.what; }

class HtmlConversion : public testing::TestWithParam<Case> {};

TEST_P(HtmlConversion, MatchesHandWrittenResult) {
    const Case& c = GetParam();
    EXPECT_EQ(urlEncode(c.input, kHtml), c.expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    WebAddresses, HtmlConversion,
    testing::Values(
        Case{"space ends the address and moves into the link", "W http://a.com W",
             "W " + H("http://a.com ") + "W"},
        Case{"question mark ends it, query follows as text", "http://a.com?x=1 W",
             H("http://a.com?") + "x=1 W"},
        Case{"final full stop stays outside", "W http://a.com.", "W " + H("http://a.com") + "."},
        Case{"one last character is kept", "W http://a.com Z", "W " + H("http://a.com ") + "Z"},
        Case{"comma and exclamation mark", "http://a.com, http://b.com!",
             H("http://a.com,") + " " + H("http://b.com!")},
        Case{"CR of CR LF is taken and dropped", "http://a.com\r\nnext",
             H("http://a.com") + "\nnext"},
        Case{"full stop before line breaks stays inside", "W http://a.com.\r\n\r\n",
             "W " + H("http://a.com.") + "\n\r\n"},
        Case{"capitals keep their case", "W HTTP://A.COM W", "W " + H("HTTP://A.COM ") + "W"},
        Case{"mixed case scheme", "go hTtP://x.org", "go " + H("hTtP://x.org")},
        Case{"scheme alone at the end", "see http://", "see " + H("http://")},
        Case{"full stop after a bare scheme", "see http://.", "see " + H("http://") + "."},
        Case{"full stop mid-text stays in the run", "a http://a.com. b",
             "a " + H("http://a.com. ") + "b"},
        Case{"tab, semicolon and quotes are no end characters", "http://a.com/x;y\t\"z\" q",
             H("http://a.com/x;y\t\"z\" ") + "q"},
        Case{"scheme inside a run is part of it", "http://a/http://b c",
             H("http://a/http://b ") + "c"},
        Case{"lone LF ends the address and is dropped", "http://a.com\nx", H("http://a.com") + "x"},
        Case{"non-ASCII bytes pass through", "\xc3\xa9 http://\xc3\xa9.fr \xc3\xa9",
             "\xc3\xa9 " + H("http://\xc3\xa9.fr ") + "\xc3\xa9"},
        Case{"no address", "plain words only", "plain words only"},
        Case{"one character", "h", "h"},
        Case{"empty text", "", ""}));

INSTANTIATE_TEST_SUITE_P(
    MailAddresses, HtmlConversion,
    testing::Values(
        Case{"address between words", "W a@b.com W", "W " + M("a@b.com ") + "W"},
        Case{"address at the start stops the whole pass", "a@b.com x c@d.com",
             "a@b.com x c@d.com"},
        Case{"address at the start also blocks one after a link", "a@b http://c.com d@e",
             "a@b " + H("http://c.com ") + "d@e"},
        Case{"start after a line break", "line\r\na@b", "line\r\n" + M("a@b")},
        Case{"final full stop stays outside", "mail x a@b.", "mail x " + M("a@b") + "."},
        Case{"lone @ between spaces", "x @ y", "x " + M("@ ") + "y"},
        Case{"fewer than three characters after a link end the pass", "x a@b c@",
             "x " + M("a@b ") + "c@"},
        Case{"run that ends before the @", "x a,b@c", "x " + M("a,") + M("b@c")}));

INSTANTIATE_TEST_SUITE_P(
    LinksStayWhole, HtmlConversion,
    testing::Values(
        Case{"two addresses one space apart", "x a@b c@d", "x " + M("a@b ") + M("c@d")},
        Case{"two addresses one CR apart", "x a@b\rc@d", "x " + M("a@b") + M("c@d")},
        Case{"address right after a web link", "x http://a.com/ b@c",
             "x " + H("http://a.com/ ") + M("b@c")},
        Case{"@ inside a web address", "see http://a.com/x@y now",
             "see " + H("http://a.com/x@y ") + "now"},
        Case{"address run stops before a web link", "x a@bhttp://c.com",
             "x " + M("a@b") + H("http://c.com")},
        Case{"address directly after a web link at the text start", "http://a.com b@c",
             H("http://a.com ") + M("b@c")}));

TEST(UrlEncode, OtherTemplates) {
    EXPECT_EQ(urlEncode("W http://a.com W", kUbb), "W [url=http://a.com ]http://a.com [/url]W");
    EXPECT_EQ(urlEncode("W http://a.com W", kEz), "W [link=http://a.com ]http://a.com [/link]W");
    EXPECT_EQ(urlEncode("W a@b W", kUbb), "W [url=mailto:a@b ]a@b [/url]W");
    // An empty template writes each address twice in a row with nothing around it.
    EXPECT_EQ(urlEncode("W http://a.com W", kEmpty), "W http://a.com http://a.com W");
    EXPECT_EQ(urlEncode("W a@b W", kEmpty), "W a@b a@b W");
}

// The conversion exactly as first described: the text is rebuilt at every replacement and
// positions are found again in it. The linear implementation must agree with it everywhere.
std::string referenceEncode(std::string t, const LinkStrings& k) {
    auto isEnd = [](char c) { return c == '\r' || c == '\n' || c == '?' || c == ',' || c == '!' || c == ' '; };
    auto isStart = [](char c) { return c == ' ' || c == '\r' || c == '\n'; };
    auto strip = [](std::string r) {
        std::erase(r, '\r');
        std::erase(r, '\n');
        return r;
    };
    struct Link { size_t b, e; bool web; };
    std::vector<Link> links;
    auto lowerEq = [&](size_t i) {
        static const std::string scheme = "http://";
        if (i + 7 > t.size()) return false;
        for (size_t j = 0; j < 7; ++j)
            if (std::tolower(static_cast<unsigned char>(t[i + j])) != scheme[j]) return false;
        return true;
    };
    if (t.size() >= 2) {
        size_t p = 0;
        while (true) {
            size_t s = p;
            while (s < t.size() && !lowerEq(s)) ++s;
            if (s >= t.size()) break;
            size_t i = s + 6;
            while (i < t.size() && !isEnd(t[i])) ++i;
            size_t e = i < t.size() ? i + 1 : (t.back() == '.' ? t.size() - 1 : t.size());
            std::string l = strip(t.substr(s, e - s));
            std::string r = std::string(k.linkOpen01) + l + std::string(k.linkOpen02) + l +
                            std::string(k.linkClose01);
            t = t.substr(0, s) + r + t.substr(e);
            links.push_back({s, s + r.size(), true});
            p = s + r.size();
            if (t.size() - p < 3) break;
        }
    }
    if (t.size() >= 2) {
        size_t p = 0;
        while (true) {
            size_t at = t.find('@', p);
            if (at == std::string::npos) break;
            const Link* inside = nullptr;
            for (const Link& l : links)
                if (l.web && l.b <= at && at < l.e) inside = &l;
            if (inside) { p = inside->e; continue; }
            size_t floor = 0;
            for (const Link& l : links)
                if (l.e <= at) floor = std::max(floor, l.e);
            size_t s = at;
            while (s > floor && !isStart(t[s - 1])) --s;
            if (s == 0) break;
            size_t limit = t.size();
            for (const Link& l : links)
                if (l.b > at) limit = std::min(limit, l.b);
            size_t i = s;
            while (i < limit && !isEnd(t[i])) ++i;
            size_t e = i < limit ? i + 1
                       : (limit == t.size() && t[limit - 1] == '.' ? limit - 1 : limit);
            std::string a = strip(t.substr(s, e - s));
            std::string r = std::string(k.linkOpen01) + std::string(k.mailCall01) + a +
                            std::string(k.linkOpen02) + a + std::string(k.linkClose01);
            t = t.substr(0, s) + r + t.substr(e);
            long delta = static_cast<long>(r.size()) - static_cast<long>(e - s);
            for (Link& l : links)
                if (l.b >= e) { l.b += delta; l.e += delta; }
            links.push_back({s, s + r.size(), false});
            p = s + r.size();
            if (t.size() - p < 3) break;
        }
    }
    return t;
}

TEST(UrlEncode, AgreesWithStepByStepRewriteOnRandomTexts) {
    const std::vector<std::string> pieces = {"http://", "HTTP://", "@", " ", "a", "b.c", ".",
                                             "\r", "\n", "\r\n", "?", ",", "!", "x@y", "\t"};
    std::mt19937 rng(20261208);
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        int n = static_cast<int>(rng() % 12);
        for (int i = 0; i < n; ++i) text += pieces[rng() % pieces.size()];
        for (const LinkStrings* k : {&kHtml, &kEmpty}) {
            ASSERT_EQ(urlEncode(text, *k), referenceEncode(text, *k)) << "input: " << text;
        }
    }
}

}  // namespace
}  // namespace boardcast
