#pragma once
// ASCII letter case, for the tag names, header names and keywords that HTML and HTTP compare
// without regard to case; other bytes (UTF-8 included) are left as they are.

#include <cstddef>
#include <string_view>

namespace boardcast {

constexpr char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether text starts with prefix, ASCII letter case ignored.
constexpr bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    if (prefix.size() > text.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (asciiLower(text[i]) != asciiLower(prefix[i])) return false;
    }
    return true;
}

// Whether text is one or more of the digits 0 to 9 and nothing else.
constexpr bool isAsciiDigits(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

// Where needle first stands in text, ASCII letter case ignored; npos when nowhere. An empty
// needle stands at 0.
constexpr size_t findIgnoringCase(std::string_view text, std::string_view needle) {
    for (size_t i = 0; i + needle.size() <= text.size(); ++i) {
        if (startsWithIgnoringCase(text.substr(i), needle)) return i;
    }
    return std::string_view::npos;
}

// Whether text holds needle anywhere, ASCII letter case ignored.
constexpr bool containsIgnoringCase(std::string_view text, std::string_view needle) {
    return findIgnoringCase(text, needle) != std::string_view::npos;
}

}  // namespace boardcast
