#pragma once
// A reader for the part of Rich Text Format that a help text or a converted document uses:
// paragraphs, runs with bold, italic, underline and font size, tabs, line breaks, list
// markers and table rows. Everything else (fonts, colours, pictures, fields' instructions,
// headers and footers, ignorable destinations) is skipped.
//
// readRtf never fails and runs in time linear in the input, whatever the input: unbalanced
// braces, a file cut off anywhere, huge numbers, deep nesting or binary data give whatever
// text could be recovered. Input that does not begin with "{" is read as plain UTF-8 text,
// one paragraph per line. All text that comes out is valid UTF-8.

#include <string>
#include <string_view>
#include <vector>

namespace boardcast {

struct RtfRun {
    std::string text;  // UTF-8; '\t' for a tab, '\n' for a line break inside the paragraph (\line)
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int fontSizeHalfPoints = 0;  // \fsN; 0 when the document never gave one
    bool monospace = false;      // the run's font is of the \fmodern family (code, commands)
    bool operator==(const RtfRun&) const = default;
};

enum class RtfAlignment { Left, Center, Right, Justify };

struct RtfParagraph {
    std::vector<RtfRun> runs;  // adjacent runs with equal formatting are merged
    RtfAlignment alignment = RtfAlignment::Left;
    int leftIndentTwips = 0;       // \liN
    int firstLineIndentTwips = 0;  // \fiN, relative to the left indent; negative for a hanging one
    int spaceBeforeTwips = 0;      // \sbN
    int spaceAfterTwips = 0;       // \saN
    int outlineLevel = -1;         // \outlinelevelN: 0 for a top-level heading, -1 for body text
    bool operator==(const RtfParagraph&) const = default;
};

struct RtfDocument {
    std::vector<RtfParagraph> paragraphs;
};

// Never fails: malformed input gives whatever readable text could be recovered, or an empty
// document. Table cells of a row come out as one paragraph with a tab between the cells.
RtfDocument readRtf(std::string_view bytes);

// Paragraphs joined with "\n", runs concatenated.
std::string plainText(const RtfDocument& doc);

}  // namespace boardcast
