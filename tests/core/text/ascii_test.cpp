#include "core/text/ascii.h"

#include <gtest/gtest.h>

#include <utility>

namespace boardcast {
namespace {

// Only ASCII letters change case; UTF-8 bytes and other characters stay as they are.
TEST(Ascii, CaseIsIgnoredForAsciiLettersOnly) {
    struct Row {
        std::string_view text, needle;
        size_t at;
    } rows[] = {
        {"<FORM action=x>", "<form", 0},
        {"a <TextArea>", "textarea", 3},
        {"abc", "", 0},
        {"", "", 0},
        {"", "x", std::string_view::npos},
        {"ab", "abc", std::string_view::npos},
        {"\xC3\x84rger", "\xC3\xA4rger", std::string_view::npos},  // Ä is no ASCII letter
        {"[URL=x]", "[url=", 0},
        {"x@Y", "@y", 1},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(findIgnoringCase(r.text, r.needle), r.at) << r.text << " / " << r.needle;
        EXPECT_EQ(containsIgnoringCase(r.text, r.needle), r.at != std::string_view::npos);
    }
    EXPECT_TRUE(startsWithIgnoringCase("HTTPS://a", "https://"));
    EXPECT_FALSE(startsWithIgnoringCase("http", "https"));
    EXPECT_TRUE(isAsciiDigits("0123"));
    EXPECT_FALSE(isAsciiDigits(""));
    EXPECT_FALSE(isAsciiDigits("12a"));
}

// "@" and "[" stand either side of the capitals; equality needs the lengths to match too.
TEST(Ascii, LoweringAndEqualityTouchAsciiCapitalsOnly) {
    EXPECT_EQ(asciiLowered("Transfer-Encoding: CHUNKED \xC3\x84@[Z]"),
              "transfer-encoding: chunked \xC3\x84@[z]");
    struct Row {
        std::string_view a, b;
        bool same;
    } rows[] = {
        {"Set-Cookie", "set-cookie", true}, {"", "", true},    {"gzip", "x-gzip", false},
        {"gzip", "GZIP ", false},           {"@", "`", false}, {"\xC3\x84", "\xC3\xA4", false},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(equalsIgnoringCase(r.a, r.b), r.same) << r.a << " / " << r.b;
        EXPECT_EQ(equalsIgnoringCase(r.b, r.a), r.same) << r.b << " / " << r.a;
    }
}

// Only spaces and tabs are blanks; line ends and quotes around a value stay.
TEST(Ascii, TrimmedBlanksAreSpacesAndTabsAtTheEnds) {
    const std::pair<std::string_view, std::string_view> rows[] = {
        {" \tgzip \t", "gzip"}, {"  ", ""},         {"", ""},
        {"a b", "a b"},         {"\rx\n", "\rx\n"}, {" \"v\" ", "\"v\""},
    };
    for (const auto& [text, trimmed] : rows) EXPECT_EQ(trimmedBlanks(text), trimmed) << text;
}

}  // namespace
}  // namespace boardcast
