#include "core/conversion/url_encode.h"

#include <array>

#include "core/text/ascii.h"

// How addresses are found
// -----------------------
// 1. Markup the user wrote is found first, reading left to right. At each position an HTML
//    link (<a ...> up to </a>), a BBCode pair ([url...] to [/url], also link, email, img),
//    a Markdown link or image ([text](target), ![alt](src)) and any other HTML tag (<b>,
//    </p>, <br/>, <!...>) are tried in this order; the first that matches is taken whole.
// 2. Outside markup, a web address starts at "http://" or "https://" anywhere, or at "www."
//    at the start of the text or after white space, "(", "<" or a quote. It runs to white
//    space, "<", ">", a quote, markup, "](", "[/" or the end of the text, and then sheds what
//    ends a sentence rather than an address: . , : ; ! ? * _ ~ and a ")" or "]" without a
//    partner inside it.
// 3. Outside markup and web addresses, an "@" with a local part right before it and a domain
//    of two or more labels right after it is an e-mail address.
//
// An address never takes in "](" or "[/": converted again, a Markdown label or a [url] pair
// could end inside its link at them (the template's "]" after "[/url" closes the pair), and
// the rest of the link would be linked a second time.
//
// The looks ahead for a closing tag or bracket remember their last answer, so that a text
// full of openings that never close is still read once, not once per opening.

namespace boardcast {

namespace {

constexpr size_t npos = std::string_view::npos;

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool isAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isAlnum(char c) {
    return isAlpha(c) || isAsciiDigit(c);
}

// A set of bytes to search for; a table, since the text is read byte by byte.
class ByteSet {
public:
    constexpr ByteSet(const char* bytes) {  // NOLINT(google-explicit-constructor): from literals
        for (; *bytes != '\0'; ++bytes) in_[static_cast<unsigned char>(*bytes)] = true;
    }
    // The first position at or after from whose byte is in the set, npos when none.
    size_t findIn(std::string_view t, size_t from) const {
        for (size_t i = from; i < t.size(); ++i) {
            if (in_[static_cast<unsigned char>(t[i])]) return i;
        }
        return npos;
    }

private:
    std::array<bool, 256> in_{};
};

// Whether t holds word (lower case) at i, letters in any case.
bool hasAt(std::string_view t, size_t i, std::string_view word) {
    if (i > t.size() || t.size() - i < word.size()) return false;
    for (size_t k = 0; k < word.size(); ++k) {
        if (asciiLower(t[i + k]) != word[k]) return false;
    }
    return true;
}

// Length of the match at i, 0 when there is none; arg is the matcher's own parameter.
using Matcher = size_t (*)(std::string_view t, size_t i, std::string_view arg);

size_t anyOne(std::string_view, size_t, std::string_view) {
    return 1;
}

// "</a", optional white space, ">".
size_t htmlLinkClose(std::string_view t, size_t i, std::string_view) {
    if (!hasAt(t, i, "</a")) return 0;
    size_t j = i + 3;
    while (j < t.size() && isSpace(t[j])) ++j;
    return j < t.size() && t[j] == '>' ? j + 1 - i : 0;
}

// "[/" name "]".
size_t bbClose(std::string_view t, size_t i, std::string_view name) {
    if (!hasAt(t, i, "[/") || !hasAt(t, i + 2, name) || !hasAt(t, i + 2 + name.size(), "]")) {
        return 0;
    }
    return name.size() + 3;
}

// The first match at or after a position. Markup is read left to right, so the positions
// asked for only grow: an answer stays good until the position passes it, and each byte is
// looked at once. leads are the bytes a match can begin with.
class Lookahead {
public:
    struct Hit {
        size_t at = npos;
        size_t length = 0;
        bool found() const { return at != npos; }
        size_t end() const { return at + length; }
    };

    Lookahead(std::string_view t, ByteSet leads, Matcher match = anyOne, std::string_view arg = {})
        : t_(t), leads_(leads), match_(match), arg_(arg) {}

    Hit next(size_t from) {
        if (!known_ || from < from_ || (hit_.found() && from > hit_.at)) {
            hit_ = scan(from);
            from_ = from;
            known_ = true;
        }
        return hit_;
    }

private:
    Hit scan(size_t from) const {
        for (size_t i = leads_.findIn(t_, from); i != npos; i = leads_.findIn(t_, i + 1)) {
            if (size_t n = match_(t_, i, arg_)) return {i, n};
        }
        return {};
    }

    std::string_view t_;
    ByteSet leads_;
    Matcher match_;
    std::string_view arg_;
    bool known_ = false;
    size_t from_ = 0;
    Hit hit_;
};

constexpr std::array<std::string_view, 4> kPairNames = {"url", "link", "email", "img"};

using Span = TextSpan;

// Finds the markup already in a text.
class MarkupFinder {
public:
    explicit MarkupFinder(std::string_view t)
        : t_(t),
          tagEnd_(t, ">"),
          labelEnd_(t, "]\r\n"),
          linkClose_(t, "<", htmlLinkClose),
          pairClose_{Lookahead(t, "[", bbClose, kPairNames[0]),
                     Lookahead(t, "[", bbClose, kPairNames[1]),
                     Lookahead(t, "[", bbClose, kPairNames[2]),
                     Lookahead(t, "[", bbClose, kPairNames[3])} {}

    std::vector<Span> all() {
        std::vector<Span> spans;
        static constexpr ByteSet kOpenings("<[!");
        for (size_t i = kOpenings.findIn(t_, 0); i != npos; i = kOpenings.findIn(t_, i)) {
            size_t end = 0;
            if (t_[i] == '<') {
                end = htmlLink(i);
                if (end == 0) end = htmlTag(i);
            } else if (t_[i] == '[') {
                end = pair(i);
                if (end == 0) end = markdownLink(i);
            } else {
                end = markdownLink(i);
            }
            if (end == 0) {
                ++i;
                continue;
            }
            spans.push_back({i, end});
            i = end;
        }
        return spans;
    }

private:
    // Each returns the end of the markup starting at i, 0 when none of its kind starts there.

    size_t htmlLink(size_t i) {
        if (!hasAt(t_, i, "<a") || i + 2 >= t_.size()) return 0;
        size_t openEnd = 0;
        if (t_[i + 2] == '>') {
            openEnd = i + 3;
        } else if (isSpace(t_[i + 2])) {
            Lookahead::Hit gt = tagEnd_.next(i + 3);
            if (!gt.found()) return 0;
            openEnd = gt.end();
        } else {
            return 0;
        }
        Lookahead::Hit close = linkClose_.next(openEnd);
        return close.found() ? close.end() : 0;
    }

    // "[url" followed by "]", "=" or white space, up to the first "[/url]". Where the opening
    // has no "]" before that closing, the user forgot it: the pair is still theirs. (Reading
    // the opening up to the first "]" instead would let the "]" a template writes after a link
    // target complete an opening the next time round, so the same text would read otherwise.)
    size_t pair(size_t i) {
        for (size_t n = 0; n < kPairNames.size(); ++n) {
            const std::string_view name = kPairNames[n];
            if (!hasAt(t_, i + 1, name)) continue;
            const size_t j = i + 1 + name.size();
            if (j >= t_.size() || (t_[j] != ']' && t_[j] != '=' && !isSpace(t_[j]))) return 0;
            Lookahead::Hit close = pairClose_[n].next(j);
            return close.found() ? close.end() : 0;
        }
        return 0;
    }

    size_t markdownLink(size_t i) {
        size_t j = t_[i] == '!' ? i + 1 : i;
        if (j >= t_.size() || t_[j] != '[') return 0;
        Lookahead::Hit label = labelEnd_.next(j + 1);
        if (!label.found() || t_[label.at] != ']' || !hasAt(t_, label.at + 1, "(")) return 0;
        size_t k = label.at + 2;
        while (k < t_.size() && !isSpace(t_[k]) && t_[k] != '(' && t_[k] != ')') ++k;
        return k < t_.size() && t_[k] == ')' ? k + 1 : 0;
    }

    size_t htmlTag(size_t i) const {
        size_t j = i + 1;
        if (j >= t_.size()) return 0;
        if (t_[j] == '!') return closingAngle(j + 1);
        if (t_[j] == '/') ++j;
        if (j >= t_.size() || !isAlpha(t_[j])) return 0;
        ++j;
        while (j < t_.size() && (isAlnum(t_[j]) || t_[j] == '-')) ++j;
        if (j < t_.size() && isSpace(t_[j])) return closingAngle(j);
        if (j < t_.size() && t_[j] == '/') ++j;
        return j < t_.size() && t_[j] == '>' ? j + 1 : 0;
    }

    // One past the ">" that ends a tag's inside, if no "<" comes first; else 0.
    size_t closingAngle(size_t from) const {
        static constexpr ByteSet kAngles("<>");
        size_t k = kAngles.findIn(t_, from);
        return k != npos && t_[k] == '>' ? k + 1 : 0;
    }

    std::string_view t_;
    Lookahead tagEnd_;
    Lookahead labelEnd_;
    Lookahead linkClose_;
    std::array<Lookahead, kPairNames.size()> pairClose_;
};

// Length of the web address's prefix at i ("http://", "https://", "www."), 0 when no web
// address can start there.
size_t webPrefixAt(std::string_view t, size_t i) {
    if (asciiLower(t[i]) == 'h') {
        if (hasAt(t, i, "http://")) return 7;
        return hasAt(t, i, "https://") ? 8 : 0;
    }
    if (i + 4 >= t.size() || t[i + 3] != '.' || !hasAt(t, i, "www.") || !isAlnum(t[i + 4])) {
        return 0;
    }
    if (i == 0) return 4;
    const char before = t[i - 1];
    return isSpace(before) || before == '(' || before == '<' || before == '"' || before == '\'' ? 4
                                                                                                : 0;
}

bool endsAddress(std::string_view t, size_t i) {
    const char c = t[i];
    return isSpace(c) || c == '<' || c == '>' || c == '"' || c == '\'' || hasAt(t, i, "](") ||
           hasAt(t, i, "[/");
}

bool isSentencePunctuation(char c) {
    switch (c) {
        case '.':
        case ',':
        case ':':
        case ';':
        case '!':
        case '?':
        case '*':
        case '_':
        case '~':
            return true;
        default:
            return false;
    }
}

// The end of the address [begin, end) once the punctuation that follows rather than
// belongs to it is dropped; never reaches back past minEnd.
size_t trimAddress(std::string_view t, size_t begin, size_t end, size_t minEnd) {
    long parens = 0;    // ")" less "("
    long brackets = 0;  // "]" less "["
    for (size_t k = begin; k < end; ++k) {
        parens += (t[k] == ')') - (t[k] == '(');
        brackets += (t[k] == ']') - (t[k] == '[');
    }
    while (end > minEnd) {
        const char c = t[end - 1];
        if (c == ')' && parens > 0) {
            --parens;
        } else if (c == ']' && brackets > 0) {
            --brackets;
        } else if (!isSentencePunctuation(c)) {
            break;
        }
        --end;
    }
    return end;
}

bool isLocalPartChar(char c) {
    return isAlnum(c) || c == '.' || c == '_' || c == '+' || c == '-';
}
bool isDomainChar(char c) {
    return isAlnum(c) || c == '.' || c == '_' || c == '-';
}

// Two or more labels, none empty, separated by "."; not ending in "-" or "_".
bool isMailDomain(std::string_view d) {
    if (d.empty() || d.front() == '.' || d.back() == '-' || d.back() == '_') return false;
    return d.find('.') != npos && d.find("..") == npos && d.back() != '.';
}

// The e-mail addresses of plain text [begin, end): neither markup nor a web address.
void findMailLinks(std::string_view t, size_t begin, size_t end, std::vector<FoundLink>& links) {
    const std::string_view upToEnd = t.substr(0, end);
    size_t floor = begin;  // a local part reaches no further back than this
    for (size_t at = upToEnd.find('@', begin); at != npos; at = upToEnd.find('@', at + 1)) {
        size_t local = at;
        while (local > floor && isLocalPartChar(t[local - 1])) --local;
        size_t domainEnd = at + 1;
        while (domainEnd < end && isDomainChar(t[domainEnd])) ++domainEnd;
        while (domainEnd > at + 1 && t[domainEnd - 1] == '.') --domainEnd;
        if (local == at || !isMailDomain(t.substr(at + 1, domainEnd - at - 1))) continue;
        links.push_back({local, domainEnd, FoundLink::Kind::Mail});
        floor = domainEnd;
        at = domainEnd - 1;
    }
}

// The web addresses of the text [begin, end) between two pieces of markup, and the e-mail
// addresses around them.
void findLinksBetweenMarkup(std::string_view t, size_t begin, size_t end,
                            std::vector<FoundLink>& links) {
    const std::string_view upToEnd = t.substr(0, end);
    size_t plain = begin;  // start of the text not yet searched for e-mail addresses
    size_t i = begin;
    while (i < end) {
        static constexpr ByteSet kStarts("hHwW");
        const size_t s = kStarts.findIn(upToEnd, i);
        if (s == npos) break;
        const size_t prefix = webPrefixAt(upToEnd, s);
        if (prefix == 0) {
            i = s + 1;
            continue;
        }
        size_t e = s + prefix;
        while (e < end && !endsAddress(upToEnd, e)) ++e;
        e = trimAddress(t, s, e, s + prefix);
        if (e == s + prefix) {  // nothing after "://"
            i = s + 1;
            continue;
        }
        findMailLinks(t, plain, s, links);
        links.push_back({s, e, prefix == 4 ? FoundLink::Kind::Www : FoundLink::Kind::Web});
        plain = i = e;
    }
    findMailLinks(t, plain, end, links);
}

}  // namespace

std::vector<TextSpan> findMarkup(std::string_view text) {
    return MarkupFinder(text).all();
}

std::vector<FoundLink> findLinks(std::string_view text) {
    std::vector<FoundLink> links;
    size_t gap = 0;
    for (const Span& markup : findMarkup(text)) {
        findLinksBetweenMarkup(text, gap, markup.begin, links);
        gap = markup.end;
    }
    findLinksBetweenMarkup(text, gap, text.size(), links);
    return links;
}

std::string linkTarget(std::string_view address, FoundLink::Kind kind,
                       std::string_view mailScheme) {
    switch (kind) {
        case FoundLink::Kind::Www:
            return "http://" + std::string(address);
        case FoundLink::Kind::Mail:
            return std::string(mailScheme) + std::string(address);
        case FoundLink::Kind::Web:
            break;
    }
    return std::string(address);
}

std::string urlEncode(std::string_view text, const LinkStrings& link) {
    const std::vector<FoundLink> links = findLinks(text);
    std::string out;
    out.reserve(text.size() + links.size() * 64);
    size_t copied = 0;
    for (const FoundLink& found : links) {
        const std::string_view address = text.substr(found.begin, found.end - found.begin);
        out.append(text.substr(copied, found.begin - copied));
        out += link.linkOpen01;
        out += linkTarget(address, found.kind, link.mailCall01);
        out += link.linkOpen02;
        out += address;
        out += link.linkClose01;
        copied = found.end;
    }
    out.append(text.substr(copied));
    return out;
}

}  // namespace boardcast
