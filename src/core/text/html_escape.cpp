#include "core/text/html_escape.h"

#include <array>
#include <charconv>
#include <cstdint>

#include "core/text/code_pages.h"

namespace boardcast {

namespace {

// The named references that forum pages use; others stay as written.
struct NamedReference {
    std::string_view name;
    char32_t cp;
};
constexpr std::array<NamedReference, 25> kNamed{{
    {"amp", '&'},       {"lt", '<'},        {"gt", '>'},       {"quot", '"'},
    {"apos", '\''},     {"nbsp", ' '},      {"raquo", 0xBB},   {"laquo", 0xAB},
    {"rsaquo", 0x203A}, {"lsaquo", 0x2039}, {"ndash", 0x2013}, {"mdash", 0x2014},
    {"hellip", 0x2026}, {"middot", 0xB7},   {"bull", 0x2022},  {"copy", 0xA9},
    {"reg", 0xAE},      {"trade", 0x2122},  {"rarr", 0x2192},  {"lsquo", 0x2018},
    {"rsquo", 0x2019},  {"sbquo", 0x201A},  {"ldquo", 0x201C}, {"rdquo", 0x201D},
    {"bdquo", 0x201E},
}};

// Reads the reference at text[i] == '&'; returns how many bytes it took (0: none).
size_t readReference(std::string_view text, size_t i, std::string& out) {
    const size_t semi = text.find(';', i);
    if (semi == std::string_view::npos || semi - i > 10) return 0;
    const std::string_view body = text.substr(i + 1, semi - i - 1);
    if (body.size() > 1 && body[0] == '#') {
        const bool hex = body[1] == 'x' || body[1] == 'X';
        const std::string_view digits = body.substr(hex ? 2 : 1);
        std::uint32_t cp = 0;
        auto [end, ec] =
            std::from_chars(digits.data(), digits.data() + digits.size(), cp, hex ? 16 : 10);
        if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size()) return 0;
        appendUtf8(out, cp == 0 ? char32_t{0xFFFD} : cp);  // NUL is no character of a page
        return semi - i + 1;
    }
    for (const NamedReference& r : kNamed) {
        if (r.name == body) {
            appendUtf8(out, r.cp);
            return semi - i + 1;
        }
    }
    return 0;
}

// The length of a named reference at text[i] == '&' that HTML knows and we may not
// ("&eacute;"), 0 when there is none.
size_t namedReferenceLength(std::string_view text, size_t i) {
    size_t j = i + 1;
    auto isAlnum = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    };
    while (j < text.size() && j - i <= 32 && isAlnum(text[j])) ++j;
    return j > i + 1 && j < text.size() && text[j] == ';' ? j + 1 - i : 0;
}

}  // namespace

std::string decodeHtmlReferences(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&') {
            if (size_t used = readReference(text, i, out)) {
                i += used - 1;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

void appendHtmlEscaped(std::string& out, std::string_view text) {
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&apos;";
                break;
            default:
                out += c;
        }
    }
}

void appendHtmlEscapedKeepingReferences(std::string& out, std::string_view text) {
    std::string ignored;
    size_t plain = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&') continue;
        size_t used = readReference(text, i, ignored);
        if (used == 0) used = namedReferenceLength(text, i);
        if (used != 0) {
            appendHtmlEscaped(out, text.substr(plain, i - plain));
            out.append(text.substr(i, used));
            plain = i + used;
            i += used - 1;
        }
    }
    appendHtmlEscaped(out, text.substr(plain));
}

}  // namespace boardcast
