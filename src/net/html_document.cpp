#include "net/html_document.h"

#include <algorithm>
#include <cstring>

#include "core/text/ascii.h"
#include "core/text/html_escape.h"

namespace boardcast {

namespace {

// What HTML says of a tag, looked up once per element.
enum : std::uint32_t {
    kVoid = 1u << 0,
    kRawText = 1u << 1,       // text up to its end tag: script, style, ...
    kEscapableRaw = 1u << 2,  // the same in HTML's eyes: title, textarea
    kClosesP = 1u << 3,       // its start closes an open <p>
    kScope = 1u << 4,         // looking for an element to close stops here
    kBlock = 1u << 5,         // starts a new line of text
    kSkipped = 1u << 6,       // no text of a page: script, style, template
    kP = 1u << 7,
    kLi = 1u << 8,
    kListStop = 1u << 9,  // ul, ol, menu
    kDtDd = 1u << 10,
    kDl = 1u << 11,
    kOption = 1u << 12,
    kSelect = 1u << 13,
    kTr = 1u << 14,
    kCell = 1u << 15,
    kSection = 1u << 16,  // tbody, thead, tfoot
    kHeading = 1u << 17,
};

// The tags HTML says something of, in a table looked up by a cheap hash of the name (its
// length and its first and last letters), since every element of every page is looked up.
class TagTable {
public:
    TagTable() {
        auto add = [this](std::initializer_list<std::string_view> names, std::uint32_t flags) {
            for (std::string_view n : names) slot(n).flags |= flags;
        };
        add({"area", "base", "br", "col", "embed", "hr", "img", "input", "keygen", "link", "meta",
             "param", "source", "track", "wbr"},
            kVoid);
        add({"script", "style", "xmp", "iframe", "noembed", "noframes"}, kRawText);
        add({"title", "textarea"}, kEscapableRaw);
        add({"address", "article", "aside",   "blockquote", "center",     "details", "dialog",
             "dir",     "div",     "dl",      "fieldset",   "figcaption", "figure",  "footer",
             "form",    "h1",      "h2",      "h3",         "h4",         "h5",      "h6",
             "header",  "hgroup",  "hr",      "main",       "menu",       "nav",     "ol",
             "p",       "pre",     "section", "summary",    "table",      "ul",      "li",
             "dd",      "dt"},
            kClosesP | kBlock);
        add({"br", "tr", "td", "th", "tbody", "thead", "tfoot", "caption", "body", "html", "head",
             "noscript", "option", "legend"},
            kBlock);
        add({"html", "table", "td", "th", "caption", "button", "marquee", "object", "template",
             "applet"},
            kScope);
        add({"script", "style", "template"}, kSkipped);
        add({"p"}, kP);
        add({"li"}, kLi);
        add({"ul", "ol", "menu"}, kListStop);
        add({"dt", "dd"}, kDtDd);
        add({"dl"}, kDl);
        add({"option"}, kOption);
        add({"select", "datalist"}, kSelect);
        add({"tr"}, kTr);
        add({"td", "th"}, kCell);
        add({"tbody", "thead", "tfoot"}, kSection);
        add({"h1", "h2", "h3", "h4", "h5", "h6"}, kHeading);
    }

    std::uint32_t flags(std::string_view tag) const {
        if (tag.empty()) return 0;
        for (size_t at = hash(tag);; at = (at + 1) % kSize) {
            const Entry& e = entries_[at];
            if (e.name.empty()) return 0;
            if (e.name == tag) return e.flags;
        }
    }

private:
    static constexpr size_t kSize = 256;  // well over twice the tags above
    struct Entry {
        std::string_view name;
        std::uint32_t flags = 0;
    };
    static size_t hash(std::string_view tag) {
        return (tag.size() * 37 + static_cast<unsigned char>(tag.front()) * 7 +
                static_cast<unsigned char>(tag.back())) %
               kSize;
    }
    Entry& slot(std::string_view tag) {
        for (size_t at = hash(tag);; at = (at + 1) % kSize) {
            Entry& e = entries_[at];
            if (e.name.empty()) e.name = tag;
            if (e.name == tag) return e;
        }
    }
    Entry entries_[kSize];
};

std::uint32_t tagFlags(std::string_view tag) {
    static const TagTable kTags;
    return kTags.flags(tag);
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Where "</name" (name in lower case) followed by a blank, "/" or ">" begins, from `from`.
size_t findEndTag(std::string_view text, std::string_view name, size_t from) {
    while (true) {
        const size_t at = text.find("</", from);
        if (at == std::string_view::npos) return at;
        const size_t after = at + 2 + name.size();
        if (after <= text.size() && startsWithIgnoringCase(text.substr(at + 2), name) &&
            (after == text.size() || isSpace(text[after]) || text[after] == '/' ||
             text[after] == '>'))
            return at;
        from = at + 2;
    }
}

}  // namespace

const std::string_view* HtmlNode::attribute(std::string_view attributeName) const {
    for (std::uint32_t i = 0; i < attributeCount; ++i) {
        if (attributes[i].name == attributeName) return &attributes[i].value;
    }
    return nullptr;
}

bool listHoldsToken(std::string_view list, std::string_view token, bool ignoreCase) {
    size_t i = 0;
    while (i < list.size()) {
        while (i < list.size() && isSpace(list[i])) ++i;
        size_t e = i;
        while (e < list.size() && !isSpace(list[e])) ++e;
        const std::string_view item = list.substr(i, e - i);
        if (item.size() == token.size() &&
            (ignoreCase ? startsWithIgnoringCase(item, token) : item == token))
            return true;
        i = e;
    }
    return false;
}

bool HtmlNode::hasClass(std::string_view token) const {
    const std::string_view* value = attribute("class");
    return value && listHoldsToken(*value, token);
}

bool HtmlDocument::isBlock(const HtmlNode& n) {
    return (n.flags & kBlock) != 0;
}

bool HtmlDocument::isSkippedAlways(const HtmlNode& n) {
    return (n.flags & kSkipped) != 0;
}

void HtmlDocument::breakLine(std::string& out, bool& blank) {
    blank = false;
    while (!out.empty() && out.back() == ' ') out.pop_back();
    if (!out.empty() && out.back() != '\n') out += '\n';
}

void HtmlDocument::appendText(std::string& out, int index, bool& blank) const {
    const HtmlNode& n = at(index);
    if (n.isElement()) {
        if (n.name == "br") breakLine(out, blank);
        if (n.name == "img") {
            // An image stands for its alternative text, as smilies do.
            if (const std::string_view* alt = n.attribute("alt"); alt && !alt->empty()) {
                if (!out.empty() && out.back() != '\n') out += ' ';
                out += *alt;
                blank = true;
            }
        }
        return;
    }
    for (char c : n.name) {
        if (isSpace(c)) {
            blank = true;
            continue;
        }
        if (blank && !out.empty() && out.back() != '\n') out += ' ';
        blank = false;
        out += c;
    }
}

// Builds the tree from the tokens of one page.
class HtmlTreeBuilder {
public:
    explicit HtmlTreeBuilder(HtmlDocument& doc) : doc_(doc) {
        doc_.nodes_.push_back({});
        firstAttribute_.push_back(0);
        open_.push_back(0);
    }

    bool full() const { return doc_.nodes_.size() >= HtmlDocument::kMaxNodes; }

    // A text as the page writes it; references read when it holds any (and references).
    void text(std::string_view raw, bool references) {
        if (raw.empty() || full()) return;
        const int parent = open_.back();
        std::string_view read = raw;
        if (references && raw.find('&') != std::string_view::npos)
            read = keep(decodeHtmlReferences(raw));
        // Text next to text in the same element is one node.
        HtmlNode& last = doc_.nodes_.back();
        if (doc_.nodes_.size() > 1 && !last.isElement() && last.parent == parent) {
            last.name = keep(std::string(last.name) + std::string(read));
            return;
        }
        HtmlNode node;
        node.kind = HtmlNode::Kind::Text;
        node.name = read;
        node.parent = parent;
        doc_.nodes_.push_back(node);
        firstAttribute_.push_back(static_cast<std::uint32_t>(doc_.attributes_.size()));
        doc_.nodes_.back().end = doc_.size();
    }

    // A start tag whose attributes are the last `count` of the document's.
    void startTag(std::string_view name, std::uint32_t flags, std::uint32_t firstAttribute) {
        if (full()) return;
        impliedEnds(flags);
        HtmlNode node;
        node.name = name;
        node.flags = flags;
        node.attributeCount = static_cast<std::uint32_t>(doc_.attributes_.size()) - firstAttribute;
        node.parent = open_.back();
        doc_.nodes_.push_back(node);
        firstAttribute_.push_back(firstAttribute);
        const int index = doc_.size() - 1;
        if (flags & kVoid) {
            doc_.nodes_.back().end = doc_.size();
        } else {
            open_.push_back(index);
        }
    }

    void endTag(std::string_view name) {
        // The nearest open element of that name closes, with everything opened inside it.
        const bool endsScope = (tagFlags(name) & kScope) != 0;
        for (size_t k = open_.size(); k-- > 1;) {
            const HtmlNode& open = doc_.at(open_[k]);
            if (open.name == name) {
                popTo(k);
                return;
            }
            if ((open.flags & kScope) && !endsScope) return;
        }
    }

    void finish() {
        popTo(1);
        doc_.nodes_[0].end = doc_.size();
        // The attributes stay where they are from now on.
        for (size_t i = 0; i < doc_.nodes_.size(); ++i)
            doc_.nodes_[i].attributes = doc_.attributes_.data() + firstAttribute_[i];
    }

    std::string_view keep(std::string text) {
        doc_.decoded_.push_back(std::move(text));
        return doc_.decoded_.back();
    }

private:
    void popTo(size_t depth) {
        while (open_.size() > depth) {
            doc_.nodes_[static_cast<size_t>(open_.back())].end = doc_.size();
            open_.pop_back();
        }
    }

    // Closes the nearest open element with one of `names` unless an element with one of
    // `stops`, or a scope's edge, comes first.
    void closeOpen(std::uint32_t names, std::uint32_t stops) {
        for (size_t k = open_.size(); k-- > 1;) {
            const std::uint32_t flags = doc_.at(open_[k]).flags;
            if (flags & names) return popTo(k);
            if (flags & (stops | kScope)) return;
        }
    }

    // Closes what a browser closes when a start tag of these flags arrives.
    void impliedEnds(std::uint32_t flags) {
        if (flags & kClosesP) closeOpen(kP, 0);
        if (flags & kLi) closeOpen(kLi, kListStop);
        if (flags & kDtDd) closeOpen(kDtDd, kDl);
        if (flags & kOption) closeOpen(kOption, kSelect);
        if (flags & kTr) closeOpen(kTr, kSection);
        if (flags & kCell) closeOpen(kCell, kTr);
        if (flags & kSection) closeOpen(kSection, 0);
        if ((flags & kHeading) && open_.size() > 1 && (doc_.at(open_.back()).flags & kHeading))
            popTo(open_.size() - 1);
    }

    HtmlDocument& doc_;
    std::vector<int> open_;                      // the open elements, the document first
    std::vector<std::uint32_t> firstAttribute_;  // by node, until finish()
};

namespace {

// Reads the name that starts at page[i], lowering it in place; returns where it ends.
size_t readName(char* page, size_t size, size_t i, bool attribute) {
    while (i < size && !isSpace(page[i]) && page[i] != '>' && page[i] != '/' &&
           !(attribute && page[i] == '=')) {
        page[i] = asciiLower(page[i]);
        ++i;
    }
    return i;
}

// Reads the attributes of a start tag from page[i]; returns where the tag ends.
size_t readAttributes(char* page, size_t size, size_t i, HtmlTreeBuilder& tree,
                      std::vector<HtmlAttribute>& attributes, size_t first) {
    const std::string_view all(page, size);
    while (i < size && page[i] != '>') {
        if (isSpace(page[i]) || page[i] == '/') {
            ++i;
            continue;
        }
        // An attribute's name may begin with "=" (HTML reads it as part of the name).
        const size_t nameStart = i;
        page[i] = asciiLower(page[i]);
        i = readName(page, size, i + 1, true);
        HtmlAttribute attribute{all.substr(nameStart, i - nameStart), {}};
        size_t j = i;
        while (j < size && isSpace(page[j])) ++j;
        if (j < size && page[j] == '=') {
            i = j + 1;
            while (i < size && isSpace(page[i])) ++i;
            std::string_view value;
            if (i < size && (page[i] == '"' || page[i] == '\'')) {
                const char* close =
                    static_cast<const char*>(std::memchr(page + i + 1, page[i], size - i - 1));
                const size_t end = close ? static_cast<size_t>(close - page) : size;
                value = all.substr(i + 1, end - i - 1);
                i = std::min(end + 1, size);
            } else {
                const size_t start = i;
                while (i < size && !isSpace(page[i]) && page[i] != '>') ++i;
                value = all.substr(start, i - start);
            }
            attribute.value = value.find('&') == std::string_view::npos
                                  ? value
                                  : tree.keep(decodeHtmlReferences(value));
        }
        // The first of two attributes of one name counts, as in a browser.
        const bool repeated =
            std::any_of(attributes.begin() + static_cast<long>(first), attributes.end(),
                        [&](const HtmlAttribute& a) { return a.name == attribute.name; });
        if (!repeated) attributes.push_back(attribute);
    }
    return i < size ? i + 1 : i;
}

}  // namespace

namespace {

// Storage that parsed documents hand back, so that fetching thousands of pages does not map
// and unmap the same memory for each one.
struct Spare {
    std::vector<std::vector<HtmlNode>> nodes;
    std::vector<std::vector<HtmlAttribute>> attributes;
};
thread_local Spare spare;
constexpr size_t kSpareKept = 4;

}  // namespace

HtmlDocument::~HtmlDocument() {
    if (nodes_.capacity() > 0 && spare.nodes.size() < kSpareKept) {
        nodes_.clear();
        spare.nodes.push_back(std::move(nodes_));
    }
    if (attributes_.capacity() > 0 && spare.attributes.size() < kSpareKept) {
        attributes_.clear();
        spare.attributes.push_back(std::move(attributes_));
    }
}

HtmlDocument HtmlDocument::parse(std::string_view html) {
    return parseOwned(std::string(html));
}

HtmlDocument HtmlDocument::parseOwned(std::string&& html) {
    HtmlDocument doc;
    doc.source_ = std::make_unique<std::string>(std::move(html));
    if (!spare.nodes.empty()) {
        doc.nodes_ = std::move(spare.nodes.back());
        spare.nodes.pop_back();
    }
    if (!spare.attributes.empty()) {
        doc.attributes_ = std::move(spare.attributes.back());
        spare.attributes.pop_back();
    }
    doc.build();
    return doc;
}

void HtmlDocument::build() {
    HtmlDocument& doc = *this;
    const size_t size = source_->size();
    char* page = source_->data();
    const std::string_view all(page, size);
    doc.nodes_.reserve(size / 24 + 16);
    doc.attributes_.reserve(size / 40 + 16);
    HtmlTreeBuilder tree(doc);
    size_t i = 0;
    while (i < size && !tree.full()) {
        const char* found = static_cast<const char*>(std::memchr(page + i, '<', size - i));
        if (!found) {
            tree.text(all.substr(i), true);
            break;
        }
        const size_t lt = static_cast<size_t>(found - page);
        const char next = lt + 1 < size ? page[lt + 1] : '\0';
        if (isLetter(next)) {
            tree.text(all.substr(i, lt - i), true);
            const size_t nameEnd = readName(page, size, lt + 1, false);
            const std::string_view name = all.substr(lt + 1, nameEnd - lt - 1);
            const std::uint32_t flags = tagFlags(name);
            const size_t first = doc.attributes_.size();
            i = readAttributes(page, size, nameEnd, tree, doc.attributes_, first);
            tree.startTag(name, flags, static_cast<std::uint32_t>(first));
            if (flags & (kRawText | kEscapableRaw)) {
                // Text up to "</name" followed by a blank, "/" or ">".
                size_t end = findEndTag(all, name, i);
                if (end == std::string_view::npos) end = size;
                // Raw text as written: a title's references are read with its code page.
                tree.text(all.substr(i, end - i), false);
                tree.endTag(name);
                const char* gt =
                    end < size ? static_cast<const char*>(std::memchr(page + end, '>', size - end))
                               : nullptr;
                i = gt ? static_cast<size_t>(gt - page) + 1 : size;
            }
            continue;
        }
        if (next == '/' && lt + 2 < size && isLetter(page[lt + 2])) {
            tree.text(all.substr(i, lt - i), true);
            const size_t nameEnd = readName(page, size, lt + 2, false);
            const char* gt =
                static_cast<const char*>(std::memchr(page + nameEnd, '>', size - nameEnd));
            i = gt ? static_cast<size_t>(gt - page) + 1 : size;
            tree.endTag(all.substr(lt + 2, nameEnd - lt - 2));
            continue;
        }
        if (next == '!' || next == '?' || next == '/') {
            tree.text(all.substr(i, lt - i), true);
            // A comment runs to "-->"; a doctype, a processing instruction or a bogus
            // comment ("</ x>") to the next ">".
            if (all.substr(lt, 4) == "<!--") {
                const size_t close = all.find("-->", lt + 4);
                i = close == std::string_view::npos ? size : close + 3;
            } else {
                const size_t gt = all.find('>', lt + 2);
                i = gt == std::string_view::npos ? size : gt + 1;
            }
            continue;
        }
        // A "<" that opens no tag is text.
        tree.text(all.substr(i, lt + 1 - i), true);
        i = lt + 1;
    }
    tree.finish();
}

}  // namespace boardcast
