#include "core/conversion/url_encode.h"

#include <gtest/gtest.h>

#include "link_properties.h"

#include <random>
#include <string>
#include <vector>

namespace boardcast {
namespace {

const LinkStrings kHtml{"<a href='", "'>", "</a>", "mailto:"};
const LinkStrings kUbb{"[url=", "]", "[/url]", "mailto:"};

// Expected results are written once for every template: «X» stands for the link of the
// address X, whose target is X itself, "http://" X for a www. address, or the mail scheme
// and X for an e-mail address.
std::string expand(std::string_view expected, const LinkStrings& k) {
    static constexpr std::string_view open = "\xc2\xab", close = "\xc2\xbb";
    std::string out;
    size_t i = 0;
    while (true) {
        size_t b = expected.find(open, i);
        out.append(expected.substr(i, b == std::string_view::npos ? b : b - i));
        if (b == std::string_view::npos) return out;
        size_t e = expected.find(close, b);
        std::string address(expected.substr(b + open.size(), e - b - open.size()));
        std::string target = address;
        if (address.find("://") == std::string::npos) {
            std::string head = address.substr(0, 4);
            for (char& c : head) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            const bool www = head == "www.";
            target = (www ? "http://" : std::string(k.mailCall01)) + address;
        }
        out += std::string(k.linkOpen01) + target + std::string(k.linkOpen02) + address +
               std::string(k.linkClose01);
        i = e + close.size();
    }
}

struct Case {
    const char* what;
    std::string input;
    std::string expected;
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.what;
}

class Conversion : public testing::TestWithParam<Case> {};

TEST_P(Conversion, HtmlAndUbbByteForByte) {
    const Case& c = GetParam();
    EXPECT_EQ(urlEncode(c.input, kHtml), expand(c.expected, kHtml)) << c.what;
    EXPECT_EQ(urlEncode(c.input, kUbb), expand(c.expected, kUbb)) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    WebAddresses, Conversion,
    testing::Values(
        Case{"space after the address stays text", "W http://a.com W", "W «http://a.com» W"},
        Case{"https", "see https://a.com/x", "see «https://a.com/x»"},
        Case{"scheme in capitals keeps its case", "HTTPS://A.COM/X", "«HTTPS://A.COM/X»"},
        Case{"scheme glued to a word", "xhttp://a.com", "x«http://a.com»"},
        Case{"www at the start", "www.a.com is it", "«www.a.com» is it"},
        Case{"www after paren, quotes, angle bracket",
             "(www.a.com) 'www.b.org' \"WWW.c.net\" <www.d.de>",
             "(«www.a.com») '«www.b.org»' \"«WWW.c.net»\" <«www.d.de»>"},
        Case{"www inside a word or a host is text", "xwww.a.com a.www.b.com",
             "xwww.a.com a.www.b.com"},
        Case{"www. without a name after it is text", "www. www..a www.", "www. www..a www."},
        Case{"each sentence mark after an address stays text",
             "http://a.com. http://b.com, http://c.com: http://d.com; http://e.com! "
             "http://f.com? http://g.com* http://h.com_ http://i.com~",
             "«http://a.com». «http://b.com», «http://c.com»: «http://d.com»; «http://e.com»! "
             "«http://f.com»? «http://g.com»* «http://h.com»_ «http://i.com»~"},
        Case{"several marks in a row", "Go to http://a.com/x?!...", "Go to «http://a.com/x»?!..."},
        Case{"query kept whole", "http://a.com/x.php?t=1&p=2 next",
             "«http://a.com/x.php?t=1&p=2» next"},
        Case{"marks inside the address stay in it", "http://a.com/a,b;c!d_e.html",
             "«http://a.com/a,b;c!d_e.html»"},
        Case{"parentheses around the address", "(see http://a.com/x).", "(see «http://a.com/x»)."},
        Case{"balanced parentheses are the address's", "http://en.wikipedia.org/wiki/A_(b)",
             "«http://en.wikipedia.org/wiki/A_(b)»"},
        Case{"balanced, then closing a sentence", "(http://w.org/A_(b)).",
             "(«http://w.org/A_(b)»)."},
        Case{"square brackets around the address", "[see http://a.com/x]",
             "[see «http://a.com/x»]"},
        Case{"a lone ] inside stays", "http://a.com/a]b", "«http://a.com/a]b»"},
        Case{"quotes and angle brackets end it", "\"http://a.com/x\" 'https://b.com'<http://c.com>",
             "\"«http://a.com/x»\" '«https://b.com»'<«http://c.com»>"},
        Case{"scheme alone is text", "http:// and https://.", "http:// and https://."},
        Case{"scheme with only marks after it is text, the next address is linked",
             "http://...) http://b.com", "http://...) «http://b.com»"},
        Case{"a scheme inside an address is part of it", "http://http://a.com",
             "«http://http://a.com»"},
        Case{"CR LF after the address", "Visit http://a.com\r\nnext",
             "Visit «http://a.com»\r\nnext"},
        Case{"LF after the address", "Visit http://a.com\nnext", "Visit «http://a.com»\nnext"},
        Case{"tabs around the address", "a\thttp://a.com\tb", "a\t«http://a.com»\tb"},
        Case{"full stop before the outgoing line breaks", "End http://a.com.\r\n\r\n",
             "End «http://a.com».\r\n\r\n"},
        Case{"non-ASCII text around and inside",
             "Caf\xc3\xa9:http://a.com/\xc3\xa9 \xe2\x80\x94 ok",
             "Caf\xc3\xa9:«http://a.com/\xc3\xa9» \xe2\x80\x94 ok"},
        Case{"no address", "plain words only", "plain words only"},  //
        Case{"empty text", "", ""}));

INSTANTIATE_TEST_SUITE_P(
    MarkupAlreadyThere, Conversion,
    testing::Values(
        Case{"HTML links in any case, with the address as text",
             "<a href='http://a.com'>http://a.com</a> <A HREF=\"x\">see www.b.com</A >",
             "<a href='http://a.com'>http://a.com</a> <A HREF=\"x\">see www.b.com</A >"},
        Case{"HTML link across lines", "<a\r\nhref=http://a.com>\r\nhttp://a.com\r\n</a>",
             "<a\r\nhref=http://a.com>\r\nhttp://a.com\r\n</a>"},
        Case{"an address between other tags is linked", "<b>http://a.com</b><br/>www.b.com",
             "<b>«http://a.com»</b><br/>www.b.com"},
        Case{"address in a tag's attribute or a comment",
             "<img src=http://a.com/x.png><!-- a@b.com -->",
             "<img src=http://a.com/x.png><!-- a@b.com -->"},
        Case{"an <a> tag without its end is a tag", "<a href=x> http://a.com",
             "<a href=x> «http://a.com»"},
        Case{"angle brackets that are no tags", "1 < 2 > 0 http://a.com",
             "1 < 2 > 0 «http://a.com»"},
        Case{"BBCode pairs",
             "[url=http://a.com]http://a.com[/url] [URL]www.b.com[/URL] "
             "[img]http://c.com/i.png[/img] [link=http://d.com]d[/link] [email]e@f.com[/email]",
             "[url=http://a.com]http://a.com[/url] [URL]www.b.com[/URL] "
             "[img]http://c.com/i.png[/img] [link=http://d.com]d[/link] [email]e@f.com[/email]"},
        Case{"an opening without its closing tag is text", "[url http://a.com]",
             "[url «http://a.com»]"},
        Case{"Markdown link and image", "[text](http://a.com) ![alt](http://a.com/i.png)",
             "[text](http://a.com) ![alt](http://a.com/i.png)"},
        Case{"no Markdown link with a space before the target", "[text] (http://a.com)",
             "[text] («http://a.com»)"},
        Case{"markup ends an address", "http://a.com<b>x</b> http://b.com[img]i[/img]",
             "«http://a.com»<b>x</b> «http://b.com»[img]i[/img]"}));

INSTANTIATE_TEST_SUITE_P(
    MailAddresses, Conversion,
    testing::Values(
        Case{"between words", "mail a@b.com now", "mail «a@b.com» now"},
        Case{"at the start, and a later one", "a@b.com and c@d.org", "«a@b.com» and «c@d.org»"},
        Case{"full stop at the end stays text", "Write to x.y+z@mail.example.com.",
             "Write to «x.y+z@mail.example.com»."},
        Case{"an @ that forms no address", "x @ y @home a@ a@b a@b..com a@.b.com a@b.com- a@b_",
             "x @ y @home a@ a@b a@b..com a@.b.com a@b.com- a@b_"},
        Case{"one space apart", "a@b.com c@d.com", "«a@b.com» «c@d.com»"},
        Case{"after a web address", "http://a.com/ b@c.com", "«http://a.com/» «b@c.com»"},
        Case{"an @ inside a web address", "http://a.com/x@y.com", "«http://a.com/x@y.com»"},
        Case{"two @ in a row", "a@b.com@c.org", "«a@b.com»@c.org"},
        Case{"before a tag and a line break", "a@b.com<br>x_y@c-d.org\r\n",
             "«a@b.com»<br>«x_y@c-d.org»\r\n"},
        Case{"in parentheses", "(a@b.com)", "(«a@b.com»)"},
        Case{"non-ASCII letters are no part of it", "\xc3\xa9@b.com \xc3\xa9x@b.com",
             "\xc3\xa9@b.com \xc3\xa9«x@b.com»"}));

TEST(UrlEncode, CustomAndEmptyTemplates) {
    const LinkStrings custom{"{{link:", "|", "}}", "email:"};
    EXPECT_EQ(urlEncode("see www.a.com, or a@b.com.", custom),
              "see {{link:http://www.a.com|www.a.com}}, or {{link:email:a@b.com|a@b.com}}.");
    // An empty template writes each address twice in a row with nothing around it.
    const LinkStrings empty{"", "", "", ""};
    EXPECT_EQ(urlEncode("W http://a.com W a@b.com", empty),
              "W http://a.comhttp://a.com W a@b.coma@b.com");
}

// Random texts made of what the rules turn on.
std::vector<std::string> randomTexts(int count) {
    const std::vector<std::string> pieces = {
        "http://", "https://", "HTTP://", "www.",  "WwW.",   "@",   "a@b.c",    " ",
        "\t",      "\r\n",     "\n",      "\r",    ".",      ",",   ":",        ";",
        "!",       "?",        "*",       "_",     "~",      "(",   ")",        "[",
        "]",       "\"",       "'",       "<",     ">",      "=",   "/",        "-",
        "+",       "a",        "b",       "x",     "url",    "img", "\xc3\xa9", "<a ",
        "</a>",    "[url",     "[/url]",  "[img]", "[/img]", "](",  "<b>",      "<!",
        "[email]", "[/email]"};
    std::mt19937 rng(20261208);
    std::vector<std::string> texts;
    for (int round = 0; round < count; ++round) {
        std::string text;
        const int n = static_cast<int>(rng() % 24);
        for (int i = 0; i < n; ++i) text += pieces[rng() % pieces.size()];
        texts.push_back(std::move(text));
    }
    return texts;
}

// Converting twice with html or ubb equals converting once, and the links taken out give
// the message back.
TEST(UrlEncode, KeepsTheMessageOnRandomTexts) {
    for (const std::string& text : randomTexts(20000)) {
        ASSERT_TRUE(conversionKeepsTheMessage(text)) << "input: " << text;
    }
}

}  // namespace
}  // namespace boardcast
