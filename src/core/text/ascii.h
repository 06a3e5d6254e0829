#pragma once
// ASCII letter case, for the tag names, header names and keywords that HTML and HTTP compare
// without regard to case; other bytes (UTF-8 included) are left as they are. Also the ASCII
// digits and blanks that the same protocols read.

#include <cstddef>
#include <string>
#include <string_view>

namespace boardcast {

constexpr char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The text with its ASCII capitals lowered, to be searched for lower-case words many times.
inline std::string asciiLowered(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = asciiLower(c);
    return out;
}

// Whether text starts with prefix, ASCII letter case ignored.
constexpr bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    if (prefix.size() > text.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (asciiLower(text[i]) != asciiLower(prefix[i])) return false;
    }
    return true;
}

// Whether a and b are the same, ASCII letter case ignored.
constexpr bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && startsWithIgnoringCase(a, b);
}

constexpr bool isAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

// Whether text is one or more of the digits 0 to 9 and nothing else.
constexpr bool isAsciiDigits(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text) {
        if (!isAsciiDigit(c)) return false;
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

// The text without the spaces and tabs at either end: HTTP's optional white space around
// header values and cookie attributes.
constexpr std::string_view trimmedBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

}  // namespace boardcast
