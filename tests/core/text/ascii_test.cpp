#include "core/text/ascii.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace boardcast
