#pragma once
// Turns the web addresses (http://, https://, www.) and e-mail addresses of a plain text into
// links written with one template's four strings. Markup the user already wrote (HTML tags
// and links, [url]/[link]/[email]/[img] pairs, Markdown links and images) is kept as it is,
// and no address inside it is touched. Everything outside the links is kept byte for byte.
// Runs in time linear in the length of the text and of the result.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace boardcast {

struct LinkStrings {
    std::string_view linkOpen01;
    std::string_view linkOpen02;
    std::string_view linkClose01;
    std::string_view mailCall01;
};

// One address found in a text: the bytes [begin, end) are the address as written, which is
// also the link's text.
struct FoundLink {
    enum class Kind {
        Web,  // http:// or https://: the target is the address
        Www,  // www.: the target is "http://" and the address
        Mail  // the target is the template's mail scheme and the address
    };
    size_t begin;
    size_t end;
    Kind kind;
};

// A piece [begin, end) of a text.
struct TextSpan {
    size_t begin;
    size_t end;
};

// The markup the user wrote (HTML tags and links, BBCode pairs, Markdown links), in order;
// the conversion keeps each piece as it is.
std::vector<TextSpan> findMarkup(std::string_view text);

// Every address of the text, in order, as the conversion links them. Text is 8-bit (UTF-8)
// and scanned by byte; every character the scan looks for is ASCII.
std::vector<FoundLink> findLinks(std::string_view text);

// Where a found address leads: the address itself, "http://" before a www. address, the
// mail scheme (such as "mailto:") before an e-mail address.
std::string linkTarget(std::string_view address, FoundLink::Kind kind, std::string_view mailScheme);

// The text with each address found by findLinks replaced by its link.
std::string urlEncode(std::string_view text, const LinkStrings& link);

}  // namespace boardcast
