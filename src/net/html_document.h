#pragma once
// A fetched page read as HTML: a tokenizer that follows HTML's rules for tags, attributes,
// comments, raw text (script, style) and character references, and a tree built from its
// tokens the way browsers build one for the common cases (void elements, end tags that close
// what they match, paragraphs, list items and table cells closed by their siblings). Pages
// are parsed as with scripting off, so what a <noscript> holds is markup.
//
// Every fetched page is read, so reading is cheap: the document keeps one copy of the page
// and its names, values and texts are views into it (or into the few texts whose character
// references had to be read). Nodes are stored in document order; an element's descendants
// are the nodes that follow it up to its end, so walking or skipping a subtree is a loop.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace boardcast {

// Whether a space-separated list (a class or rel attribute) holds token; ignoreCase: ASCII
// letter case aside.
bool listHoldsToken(std::string_view list, std::string_view token, bool ignoreCase = false);

struct HtmlAttribute {
    std::string_view name;   // lower case
    std::string_view value;  // character references read
};

struct HtmlNode {
    enum class Kind : unsigned char { Element, Text };
    Kind kind = Kind::Element;
    std::uint16_t flags = 0;  // what HTML says of the element's tag (see html_document.cpp)
    std::string_view name;    // element: its tag name in lower case; text: the text, read
    const HtmlAttribute* attributes = nullptr;
    std::uint32_t attributeCount = 0;
    int parent = -1;
    int end = 0;  // one past the last of its descendants

    bool isElement() const { return kind == Kind::Element; }
    bool is(std::string_view tag) const { return isElement() && name == tag; }
    // The attribute's value, or nullptr when the element has none of that name.
    const std::string_view* attribute(std::string_view attributeName) const;
    // Whether the class attribute holds this token (letter case as written).
    bool hasClass(std::string_view token) const;
};

class HtmlDocument {
public:
    // A page holding more than this many nodes is read up to there.
    static constexpr size_t kMaxNodes = 400000;

    // Node 0 is the document itself, an element with an empty name. The page is copied, or
    // taken over when given as a string of its own.
    static HtmlDocument parse(std::string_view html);
    static HtmlDocument parseOwned(std::string&& html);

    HtmlDocument(HtmlDocument&&) = default;
    HtmlDocument& operator=(HtmlDocument&&) = default;
    // Its node and attribute storage goes back for the next page to use.
    ~HtmlDocument();
    HtmlDocument(const HtmlDocument&) = delete;
    HtmlDocument& operator=(const HtmlDocument&) = delete;

    const std::vector<HtmlNode>& nodes() const { return nodes_; }
    const HtmlNode& at(int index) const { return nodes_[static_cast<size_t>(index)]; }
    int size() const { return static_cast<int>(nodes_.size()); }

    // The text of the node and its descendants as a reader sees it: blanks collapsed, a line
    // break at <br> and around block elements, script and style left out, and any subtree
    // for which skip(index) is true left out too (leaving a line of kSkippedMark in its
    // place when markSkipped).
    static constexpr char kSkippedMark = '\x01';
    template <typename Skip>
    std::string textOf(int index, Skip skip, bool markSkipped = false) const;
    std::string textOf(int index) const {
        return textOf(index, [](int) { return false; });
    }

private:
    HtmlDocument() = default;
    void build();
    friend class HtmlTreeBuilder;
    void appendText(std::string& out, int index, bool& blank) const;
    static void breakLine(std::string& out, bool& blank);
    static bool isBlock(const HtmlNode& n);
    static bool isSkippedAlways(const HtmlNode& n);  // script, style, template

    std::unique_ptr<std::string> source_;  // the page, tag and attribute names in lower case
    std::deque<std::string> decoded_;      // texts and values whose references were read
    std::vector<HtmlAttribute> attributes_;
    std::vector<HtmlNode> nodes_;
};

template <typename Skip>
std::string HtmlDocument::textOf(int index, Skip skip, bool markSkipped) const {
    std::string out;
    bool blank = false;
    std::vector<int> blockEnds;  // where the open block elements end: a line break there
    const int end = at(index).end;
    for (int i = index + 1; i < end;) {
        while (!blockEnds.empty() && blockEnds.back() <= i) {
            blockEnds.pop_back();
            breakLine(out, blank);
        }
        const HtmlNode& n = at(i);
        if (n.isElement() && isSkippedAlways(n)) {
            i = n.end;
            continue;
        }
        if (n.isElement() && skip(i)) {
            if (markSkipped) {
                breakLine(out, blank);
                out += kSkippedMark;
                breakLine(out, blank);
            }
            i = n.end;
            continue;
        }
        if (n.isElement() && isBlock(n)) {
            breakLine(out, blank);
            blockEnds.push_back(n.end);
        }
        appendText(out, i, blank);
        ++i;
    }
    while (!out.empty() && (out.back() == ' ' || out.back() == '\n')) out.pop_back();
    return out;
}

}  // namespace boardcast
