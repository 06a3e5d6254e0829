#include "core/url_encode.h"

#include <algorithm>
#include <cstring>
#include <vector>

// How addresses are found
// -----------------------
// A run is read from a start position up to and including the first end character (CR, LF,
// "?", ",", "!", space), or to the end of the text; a run that reaches the end of the text
// leaves out a final ".". The link text is the run without its CR and LF characters.
//
// The web pass finds each "http://" and takes the run from its second "/" on. Markup it
// inserts is never scanned again, so it works left to right over the input.
//
// The e-mail pass then works over the web pass's output. For each "@" it looks backward for
// a space, CR or LF; the address begins right after it. Links already in the text are kept
// whole: an "@" inside a web link is skipped, the backward look stops at the end of the
// nearest earlier link (the address then begins right there), and a run stops before a
// following web link. An "@" with neither a start character nor an earlier link before it
// (the address begins the text) ends the pass, leaving it and all later addresses as they are.
// The pass also ends when fewer than three characters follow a replacement.

namespace boardcast {

namespace {

bool isEndChar(char c) {
    return c == '\r' || c == '\n' || c == '?' || c == ',' || c == '!' || c == ' ';
}

bool isStartChar(char c) { return c == ' ' || c == '\r' || c == '\n'; }

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Position of the first "http://" at or after from, letters in any case; npos when none.
size_t findHttp(std::string_view t, size_t from) {
    static constexpr std::string_view kScheme = "http://";
    if (t.size() < kScheme.size()) return std::string_view::npos;
    for (size_t i = from; i + kScheme.size() <= t.size(); ++i) {
        size_t k = 0;
        while (k < kScheme.size() && lower(t[i + k]) == kScheme[k]) ++k;
        if (k == kScheme.size()) return i;
    }
    return std::string_view::npos;
}

// Reads a run starting at from and ending no later than limit (exclusive). Returns the
// position one past the run's last character. atTextEnd tells whether limit is the end of
// the whole text, where a final "." is left out.
size_t scanRun(std::string_view t, size_t from, size_t limit, bool atTextEnd) {
    for (size_t i = from; i < limit; ++i) {
        if (isEndChar(t[i])) return i + 1;
    }
    if (atTextEnd && limit > from && t[limit - 1] == '.') return limit - 1;
    return limit;
}

void appendWithoutLineBreaks(std::string& out, std::string_view run) {
    for (char c : run) {
        if (c != '\r' && c != '\n') out += c;
    }
}

void appendLink(std::string& out, const LinkStrings& link, std::string_view scheme,
                std::string_view run) {
    out += link.linkOpen01;
    out += scheme;
    size_t textStart = out.size();
    appendWithoutLineBreaks(out, run);
    size_t textLength = out.size() - textStart;
    out += link.linkOpen02;
    out.append(out, textStart, textLength);
    out += link.linkClose01;
}

struct Span {
    size_t begin;
    size_t end;  // exclusive
};

// The web pass. Returns its output; links receives the span of every link it inserted.
std::string webPass(std::string_view t, const LinkStrings& link, std::vector<Span>& links) {
    if (t.size() < 2) return std::string(t);
    std::string out;
    out.reserve(t.size() + t.size() / 4);
    size_t copied = 0;
    size_t p = 0;
    while (true) {
        size_t s = findHttp(t, p);
        if (s == std::string_view::npos) break;
        // The run starts at the second "/" of "http://", which is no end character.
        size_t e = scanRun(t, s + 6, t.size(), true);
        out.append(t.substr(copied, s - copied));
        size_t linkBegin = out.size();
        appendLink(out, link, {}, t.substr(s, e - s));
        links.push_back({linkBegin, out.size()});
        copied = p = e;
        if (t.size() - p < 3) break;
    }
    out.append(t.substr(copied));
    return out;
}

std::string mailPass(std::string_view t, const LinkStrings& link, const std::vector<Span>& webLinks) {
    if (t.size() < 2) return std::string(t);
    std::string out;
    out.reserve(t.size() + t.size() / 8);
    size_t copied = 0;
    size_t p = 0;
    size_t nextWeb = 0;       // index of the first web link that ends after p
    size_t lastLinkEnd = 0;   // end of the nearest earlier link of either pass; 0 when none
    while (p < t.size()) {
        const void* found = std::memchr(t.data() + p, '@', t.size() - p);
        if (found == nullptr) break;
        size_t at = static_cast<size_t>(static_cast<const char*>(found) - t.data());
        while (nextWeb < webLinks.size() && webLinks[nextWeb].end <= at) {
            lastLinkEnd = std::max(lastLinkEnd, webLinks[nextWeb].end);
            ++nextWeb;
        }
        if (nextWeb < webLinks.size() && webLinks[nextWeb].begin <= at) {
            // Inside a web link: not an address; search on after the link.
            p = webLinks[nextWeb].end;
            continue;
        }
        size_t s = at;
        while (s > lastLinkEnd && !isStartChar(t[s - 1])) --s;
        if (s == 0) break;  // the address begins the text: this one and all later stay as they are
        size_t limit = nextWeb < webLinks.size() ? webLinks[nextWeb].begin : t.size();
        size_t e = scanRun(t, s, limit, limit == t.size());
        out.append(t.substr(copied, s - copied));
        appendLink(out, link, link.mailCall01, t.substr(s, e - s));
        copied = p = lastLinkEnd = e;
        if (t.size() - p < 3) break;
    }
    out.append(t.substr(copied));
    return out;
}

}  // namespace

std::string urlEncode(std::string_view text, const LinkStrings& link) {
    std::vector<Span> webLinks;
    std::string afterWeb = webPass(text, link, webLinks);
    return mailPass(afterWeb, link, webLinks);
}

}  // namespace boardcast
