#pragma once
// What every conversion must keep, checked by the conversion tests and its fuzz target:
// converting again with html or ubb changes nothing, and taking the links out gives the
// message back byte for byte.

#include <optional>
#include <string>
#include <string_view>

#include "core/conversion/url_encode.h"

namespace boardcast {

// A template of bytes that no message of the checks holds, so its links can be found again.
inline constexpr LinkStrings kMarkedLinks{"\x01", "\x02", "\x03", "\x04"};

inline bool holdsLinkMarkers(std::string_view text) {
    return text.find_first_of("\x01\x02\x03\x04") != std::string_view::npos;
}

// The text of a conversion with kMarkedLinks, each link replaced by its text; nothing when a
// link's target is not its text (plus "http://" for a www. address, or the mail scheme).
inline std::optional<std::string> withoutMarkedLinks(std::string_view out) {
    std::string back;
    for (size_t i = 0; i < out.size(); ++i) {
        if (out[i] != '\x01') {
            back += out[i];
            continue;
        }
        const size_t middle = out.find('\x02', i);
        const size_t end = out.find('\x03', middle);
        if (end == std::string_view::npos) return std::nullopt;
        const std::string_view target = out.substr(i + 1, middle - i - 1);
        const std::string linkText(out.substr(middle + 1, end - middle - 1));
        if (target != linkText && target != "http://" + linkText && target != "\x04" + linkText) {
            return std::nullopt;
        }
        back += linkText;
        i = end;
    }
    return back;
}

// Whether both properties hold for text.
inline bool conversionKeepsTheMessage(std::string_view text) {
    static constexpr LinkStrings kHtml{"<a href='", "'>", "</a>", "mailto:"};
    static constexpr LinkStrings kUbb{"[url=", "]", "[/url]", "mailto:"};
    for (const LinkStrings& k : {kHtml, kUbb}) {
        const std::string once = urlEncode(text, k);
        if (urlEncode(once, k) != once) return false;
    }
    return holdsLinkMarkers(text) || withoutMarkedLinks(urlEncode(text, kMarkedLinks)) == text;
}

}  // namespace boardcast
