#include "net/page_facts.h"

#include <algorithm>
#include <array>

#include "core/text/code_pages.h"
#include "core/text/html_escape.h"

namespace boardcast {

void BodyReader::keep(std::string_view bytes) {
    const size_t room = maxKept_ - std::min(maxKept_, content_.size());
    content_.append(bytes.substr(0, std::min(room, bytes.size())));
}

void BodyReader::feed(std::string_view bytes) {
    size_t i = 0;
    while (i < bytes.size()) {
        const char c = bytes[i];
        switch (state_) {
            case State::Raw:
                keep(bytes.substr(i));
                return;
            case State::Size: {
                const int digit = c >= '0' && c <= '9'   ? c - '0'
                                  : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                  : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                         : -1;
                if (digit >= 0 && left_ < (std::uint64_t{1} << 56)) {
                    left_ = left_ * 16 + static_cast<unsigned>(digit);
                    sizeDigits_ = true;
                } else if (sizeDigits_ && (c == ';' || c == ' ' || c == '\t')) {
                    state_ = State::Extension;
                } else if (sizeDigits_ && c == '\r') {
                    state_ = State::SizeLf;
                } else {
                    state_ = State::Raw;
                    continue;
                }
                break;
            }
            case State::Extension:
                if (c == '\r') state_ = State::SizeLf;
                break;
            case State::SizeLf:
                if (c != '\n') {
                    state_ = State::Raw;
                    continue;
                }
                state_ = left_ == 0 ? State::Trailer : State::Data;
                break;
            case State::Data: {
                const size_t n =
                    static_cast<size_t>(std::min<std::uint64_t>(left_, bytes.size() - i));
                keep(bytes.substr(i, n));
                left_ -= n;
                i += n;
                if (left_ == 0) state_ = State::DataCr;
                continue;
            }
            case State::DataCr:
                if (c != '\r') {
                    state_ = State::Raw;
                    continue;
                }
                state_ = State::DataLf;
                break;
            case State::DataLf:
                if (c != '\n') {
                    state_ = State::Raw;
                    continue;
                }
                state_ = State::Size;
                sizeDigits_ = false;
                break;
            case State::Trailer:
                return;  // the body has ended; trailer fields are no content
        }
        ++i;
    }
}

namespace {

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The first place of needle (lower case) in text, letter case ignored.
size_t findCi(std::string_view text, std::string_view needle, size_t from = 0) {
    if (needle.size() > text.size()) return std::string_view::npos;
    for (size_t i = from; i + needle.size() <= text.size(); ++i) {
        size_t k = 0;
        while (k < needle.size() && lower(text[i + k]) == needle[k]) ++k;
        if (k == needle.size()) return i;
    }
    return std::string_view::npos;
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

// Whether a space-separated attribute value holds token (letter case ignored).
bool hasToken(std::string_view value, std::string_view token) {
    size_t i = 0;
    while (i < value.size()) {
        while (i < value.size() && isSpace(value[i])) ++i;
        size_t end = i;
        while (end < value.size() && !isSpace(value[end])) ++end;
        if (end - i == token.size() && findCi(value.substr(i, end - i), token) == 0) return true;
        i = end;
    }
    return false;
}

// One start tag's name (lower case) and the attributes the links need.
struct Tag {
    std::string name, rel, cls, href;
};

// Reads the tag that starts at html[at] == '<'; returns where it ends.
size_t readTag(std::string_view html, size_t at, Tag& tag) {
    size_t i = at + 1;
    while (i < html.size() && !isSpace(html[i]) && html[i] != '>' && html[i] != '/')
        tag.name += lower(html[i++]);
    while (i < html.size() && html[i] != '>') {
        if (isSpace(html[i]) || html[i] == '/') {
            ++i;
            continue;
        }
        std::string name;
        while (i < html.size() && !isSpace(html[i]) && html[i] != '=' && html[i] != '>')
            name += lower(html[i++]);
        while (i < html.size() && isSpace(html[i])) ++i;
        std::string_view value;
        if (i < html.size() && html[i] == '=') {
            ++i;
            while (i < html.size() && isSpace(html[i])) ++i;
            if (i < html.size() && (html[i] == '"' || html[i] == '\'')) {
                const char quote = html[i++];
                const size_t end = std::min(html.find(quote, i), html.size());
                value = html.substr(i, end - i);
                i = std::min(end + 1, html.size());
            } else {
                const size_t start = i;
                while (i < html.size() && !isSpace(html[i]) && html[i] != '>') ++i;
                value = html.substr(start, i - start);
            }
        }
        if (name == "rel") tag.rel = value;
        if (name == "class") tag.cls = value;
        if (name == "href") tag.href = decodeHtmlReferences(value);
    }
    return i;
}

}  // namespace

PageLinks pageLinks(std::string_view html) {
    PageLinks links;
    size_t i = 0;
    while ((i = html.find('<', i)) != std::string_view::npos) {
        if (html.substr(i, 4) == "<!--") {
            const size_t end = html.find("-->", i + 4);
            if (end == std::string_view::npos) break;
            i = end + 3;
            continue;
        }
        Tag tag;
        i = readTag(html, i, tag);
        if ((tag.name != "a" && tag.name != "link") || tag.href.empty()) continue;
        if (links.next.empty() && (hasToken(tag.rel, "next") ||
                                   (tag.name == "a" && hasToken(tag.cls, "pagination_next")))) {
            links.next = tag.href;
        }
        if (links.canonical.empty() && tag.name == "link" && hasToken(tag.rel, "canonical")) {
            links.canonical = tag.href;
        }
    }
    return links;
}

std::string pageTitle(std::string_view html) {
    size_t open = 0;
    while (true) {
        open = findCi(html, "<title", open);
        if (open == std::string_view::npos) return {};
        const size_t after = open + 6;
        if (after < html.size() &&
            (html[after] == '>' || html[after] == ' ' || html[after] == '\t' ||
             html[after] == '\r' || html[after] == '\n'))
            break;
        open = after;
    }
    const size_t start = html.find('>', open);
    if (start == std::string_view::npos) return {};
    const size_t end = findCi(html, "</title", start);
    const std::string text =
        textFromBytes(html.substr(start + 1, end == std::string_view::npos ? 0 : end - start - 1));

    const std::string decoded = decodeHtmlReferences(text);
    // Blanks collapsed, counted in characters so that a cut never splits one.
    std::string title;
    size_t chars = 0;
    bool blank = false;
    for (size_t i = 0; i < decoded.size(); ++i) {
        const auto c = static_cast<unsigned char>(decoded[i]);
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f') {
            blank = !title.empty();
            continue;
        }
        if ((c & 0xC0) != 0x80) {
            if (chars + (blank ? 1 : 0) >= kMaxTitleChars) break;
            if (blank) title += ' ', ++chars;
            blank = false;
            ++chars;
        }
        title += static_cast<char>(c);
    }
    return title;
}

}  // namespace boardcast
