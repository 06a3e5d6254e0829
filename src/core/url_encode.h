#pragma once
// Turns the web addresses ("http://", any letter case) and e-mail addresses of a plain text
// into links written with one template's four strings. Everything else of the text is kept
// byte for byte. Runs in time linear in the length of the text and of the result.

#include <string>
#include <string_view>

namespace boardcast {

struct LinkStrings {
    std::string_view linkOpen01;
    std::string_view linkOpen02;
    std::string_view linkClose01;
    std::string_view mailCall01;
};

// Web-address pass, then e-mail pass over its result. Text is 8-bit (UTF-8) and scanned by
// byte; every character the scan looks for is ASCII.
std::string urlEncode(std::string_view text, const LinkStrings& link);

}  // namespace boardcast
