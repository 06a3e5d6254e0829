#include "net/html_document.h"

#include <algorithm>
#include <array>

#include "core/text/ascii.h"
#include "core/text/html_escape.h"

namespace boardcast {

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool oneOf(std::string_view name, std::initializer_list<std::string_view> names) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

bool isVoid(std::string_view tag) {
    return oneOf(tag, {"area", "base", "br", "col", "embed", "hr", "img", "input", "keygen", "link",
                       "meta", "param", "source", "track", "wbr"});
}

// Elements whose content is text up to their own end tag.
bool isRawText(std::string_view tag) {
    return oneOf(tag, {"script", "style", "xmp", "iframe", "noembed", "noframes"});
}
bool isEscapableRawText(std::string_view tag) {
    return tag == "title" || tag == "textarea";
}

// A start tag of these closes an open <p> (HTML's "close a p element in button scope").
bool closesParagraph(std::string_view tag) {
    return oneOf(
        tag,
        {"address", "article", "aside",    "blockquote", "center", "details", "dialog",  "dir",
         "div",     "dl",      "fieldset", "figcaption", "figure", "footer",  "form",    "h1",
         "h2",      "h3",      "h4",       "h5",         "h6",     "header",  "hgroup",  "hr",
         "main",    "menu",    "nav",      "ol",         "p",      "pre",     "section", "summary",
         "table",   "ul",      "li",       "dd",         "dt"});
}

// Where looking for an element to close stops (a simplified scope).
bool isScopeBoundary(std::string_view tag) {
    return oneOf(tag, {"", "html", "table", "td", "th", "caption", "button", "marquee", "object",
                       "template", "applet"});
}

size_t findCi(std::string_view text, std::string_view lowerNeedle, size_t from) {
    while (from + lowerNeedle.size() <= text.size()) {
        const size_t at = text.find('<', from);
        if (at == std::string_view::npos || at + lowerNeedle.size() > text.size()) break;
        size_t k = 1;
        while (k < lowerNeedle.size() && asciiLower(text[at + k]) == lowerNeedle[k]) ++k;
        if (k == lowerNeedle.size()) return at;
        from = at + 1;
    }
    return std::string_view::npos;
}

}  // namespace

const std::string* HtmlNode::attribute(std::string_view attributeName) const {
    for (const HtmlAttribute& a : attributes) {
        if (a.name == attributeName) return &a.value;
    }
    return nullptr;
}

bool HtmlNode::hasClass(std::string_view token) const {
    const std::string* value = attribute("class");
    if (!value) return false;
    const std::string_view v = *value;
    size_t i = 0;
    while (i < v.size()) {
        while (i < v.size() && isSpace(v[i])) ++i;
        size_t e = i;
        while (e < v.size() && !isSpace(v[e])) ++e;
        if (v.substr(i, e - i) == token) return true;
        i = e;
    }
    return false;
}

bool isBlockElement(std::string_view tag) {
    return closesParagraph(tag) ||
           oneOf(tag, {"br", "tr", "td", "th", "tbody", "thead", "tfoot", "caption", "body", "html",
                       "head", "noscript", "option", "legend"});
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
            if (const std::string* alt = n.attribute("alt"); alt && !alt->empty()) {
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
        open_.push_back(0);
    }

    bool full() const { return doc_.nodes_.size() >= HtmlDocument::kMaxNodes; }

    void text(std::string_view raw, bool references) {
        if (raw.empty() || full()) return;
        const int parent = open_.back();
        // Text next to text in the same element is one node.
        if (doc_.nodes_.size() > 1 && !doc_.nodes_.back().isElement() &&
            doc_.nodes_.back().parent == parent) {
            doc_.nodes_.back().name += references ? decodeHtmlReferences(raw) : std::string(raw);
            return;
        }
        HtmlNode node;
        node.kind = HtmlNode::Kind::Text;
        node.name = references ? decodeHtmlReferences(raw) : std::string(raw);
        node.parent = parent;
        doc_.nodes_.push_back(std::move(node));
        doc_.nodes_.back().end = doc_.size();
    }

    void startTag(std::string name, std::vector<HtmlAttribute> attributes) {
        if (full()) return;
        impliedEnds(name);
        HtmlNode node;
        node.name = std::move(name);
        node.attributes = std::move(attributes);
        node.parent = open_.back();
        const bool isVoidTag = isVoid(node.name);
        doc_.nodes_.push_back(std::move(node));
        const int index = doc_.size() - 1;
        if (isVoidTag) {
            doc_.nodes_.back().end = doc_.size();
        } else {
            open_.push_back(index);
        }
    }

    void endTag(std::string_view name) {
        // The nearest open element of that name closes, with everything opened inside it.
        for (size_t k = open_.size(); k-- > 1;) {
            const std::string& openName = doc_.at(open_[k]).name;
            if (openName == name) {
                popTo(k);
                return;
            }
            if (isScopeBoundary(openName) && !isScopeBoundary(name)) return;
        }
    }

    void finish() { popTo(1); }

private:
    void popTo(size_t depth) {
        while (open_.size() > depth) {
            doc_.nodes_[static_cast<size_t>(open_.back())].end = doc_.size();
            open_.pop_back();
        }
        if (depth == 1) doc_.nodes_[0].end = doc_.size();
    }

    // Closes what a browser closes when this start tag arrives.
    void closeOpen(std::initializer_list<std::string_view> names,
                   std::initializer_list<std::string_view> stops) {
        for (size_t k = open_.size(); k-- > 1;) {
            const std::string& openName = doc_.at(open_[k]).name;
            if (oneOf(openName, names)) return popTo(k);
            if (oneOf(openName, stops) || isScopeBoundary(openName)) return;
        }
    }

    void impliedEnds(std::string_view tag) {
        if (closesParagraph(tag)) closeOpen({"p"}, {});
        if (tag == "li") closeOpen({"li"}, {"ul", "ol", "menu"});
        if (tag == "dt" || tag == "dd") closeOpen({"dt", "dd"}, {"dl"});
        if (tag == "option") closeOpen({"option"}, {"select", "datalist"});
        if (tag == "tr") closeOpen({"tr"}, {"tbody", "thead", "tfoot"});
        if (tag == "td" || tag == "th") closeOpen({"td", "th"}, {"tr"});
        if (tag == "tbody" || tag == "thead" || tag == "tfoot") {
            closeOpen({"tbody", "thead", "tfoot"}, {});
        }
        if (tag.size() == 2 && tag[0] == 'h' && tag[1] >= '1' && tag[1] <= '6' &&
            open_.size() > 1) {
            const std::string& current = doc_.at(open_.back()).name;
            if (current.size() == 2 && current[0] == 'h' && current[1] >= '1' && current[1] <= '6')
                popTo(open_.size() - 1);
        }
    }

    HtmlDocument& doc_;
    std::vector<int> open_;  // the open elements, the document first
};

namespace {

// Reads the tag that starts at html[at] == '<' (a letter follows); returns where it ends.
size_t readStartTag(std::string_view html, size_t at, std::string& name,
                    std::vector<HtmlAttribute>& attributes) {
    size_t i = at + 1;
    while (i < html.size() && !isSpace(html[i]) && html[i] != '>' && html[i] != '/')
        name += asciiLower(html[i++]);
    while (i < html.size() && html[i] != '>') {
        if (isSpace(html[i]) || html[i] == '/') {
            ++i;
            continue;
        }
        HtmlAttribute attribute;
        // An attribute's name may begin with "=" (HTML reads it as part of the name).
        do {
            attribute.name += asciiLower(html[i++]);
        } while (i < html.size() && !isSpace(html[i]) && html[i] != '=' && html[i] != '>' &&
                 html[i] != '/');
        size_t j = i;
        while (j < html.size() && isSpace(html[j])) ++j;
        if (j < html.size() && html[j] == '=') {
            i = j + 1;
            while (i < html.size() && isSpace(html[i])) ++i;
            std::string_view value;
            if (i < html.size() && (html[i] == '"' || html[i] == '\'')) {
                const char quote = html[i++];
                const size_t close = std::min(html.find(quote, i), html.size());
                value = html.substr(i, close - i);
                i = std::min(close + 1, html.size());
            } else {
                const size_t start = i;
                while (i < html.size() && !isSpace(html[i]) && html[i] != '>') ++i;
                value = html.substr(start, i - start);
            }
            attribute.value = value.find('&') == std::string_view::npos
                                  ? std::string(value)
                                  : decodeHtmlReferences(value);
        }
        // The first of two attributes of one name counts, as in a browser.
        const bool repeated = std::any_of(attributes.begin(), attributes.end(),
                                          [&](const auto& a) { return a.name == attribute.name; });
        if (!repeated) attributes.push_back(std::move(attribute));
    }
    return i < html.size() ? i + 1 : i;
}

}  // namespace

HtmlDocument HtmlDocument::parse(std::string_view html) {
    HtmlDocument doc;
    HtmlTreeBuilder tree(doc);
    size_t i = 0;
    while (i < html.size() && !tree.full()) {
        const size_t lt = html.find('<', i);
        if (lt == std::string_view::npos) {
            tree.text(html.substr(i), true);
            break;
        }
        const char next = lt + 1 < html.size() ? html[lt + 1] : '\0';
        if (isLetter(next)) {
            tree.text(html.substr(i, lt - i), true);
            std::string name;
            std::vector<HtmlAttribute> attributes;
            i = readStartTag(html, lt, name, attributes);
            if (isRawText(name) || isEscapableRawText(name)) {
                // Text up to "</name" followed by a blank, "/" or ">".
                const std::string close = "</" + name;
                size_t end = i;
                while ((end = findCi(html, close, end)) != std::string_view::npos) {
                    const size_t after = end + close.size();
                    if (after >= html.size() || isSpace(html[after]) || html[after] == '/' ||
                        html[after] == '>')
                        break;
                    end = after;
                }
                if (end == std::string_view::npos) end = html.size();
                const bool references = isEscapableRawText(name);
                const std::string tag = name;
                tree.startTag(std::move(name), std::move(attributes));
                tree.text(html.substr(i, end - i), references);
                tree.endTag(tag);
                const size_t gt = html.find('>', end);
                i = gt == std::string_view::npos ? html.size() : gt + 1;
            } else {
                tree.startTag(std::move(name), std::move(attributes));
            }
            continue;
        }
        if (next == '/' && lt + 2 < html.size() && isLetter(html[lt + 2])) {
            tree.text(html.substr(i, lt - i), true);
            size_t j = lt + 2;
            std::string name;
            while (j < html.size() && !isSpace(html[j]) && html[j] != '>' && html[j] != '/')
                name += asciiLower(html[j++]);
            const size_t gt = html.find('>', j);
            i = gt == std::string_view::npos ? html.size() : gt + 1;
            tree.endTag(name);
            continue;
        }
        if (next == '!' || next == '?' || next == '/') {
            tree.text(html.substr(i, lt - i), true);
            // A comment runs to "-->"; a doctype, a processing instruction or a bogus
            // comment ("</ x>") to the next ">".
            if (html.substr(lt, 4) == "<!--") {
                const size_t close = html.find("-->", lt + 4);
                i = close == std::string_view::npos ? html.size() : close + 3;
            } else {
                const size_t gt = html.find('>', lt + 2);
                i = gt == std::string_view::npos ? html.size() : gt + 1;
            }
            continue;
        }
        // A "<" that opens no tag is text.
        tree.text(html.substr(i, lt + 1 - i), true);
        i = lt + 1;
    }
    tree.finish();
    return doc;
}

}  // namespace boardcast
