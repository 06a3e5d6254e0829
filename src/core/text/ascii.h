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

}  // namespace boardcast
