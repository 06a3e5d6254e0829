#include "browser/message_html.h"

#include <string_view>
#include <vector>

#include "core/text/html_escape.h"

namespace boardcast {

namespace {

// The text's lines; a line ends at CR LF, a lone CR or a lone LF.
std::vector<std::string_view> linesOf(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

}  // namespace

std::string messageHtml(const MessageText& message) {
    std::string out;
    bool inParagraph = false;
    bool lineOpen = false;  // a line of the current paragraph was written
    for (std::string_view line : linesOf(message.text)) {
        if (line.empty()) {
            if (inParagraph) out += "</p>";
            inParagraph = lineOpen = false;
            continue;
        }
        if (!inParagraph) out += "<p>";
        if (lineOpen) out += "<br>";
        inParagraph = lineOpen = true;
        if (message.markup == Markup::Html) {
            out += line;
        } else {
            appendHtmlEscaped(out, line);
        }
    }
    if (inParagraph) out += "</p>";
    return out;
}

}  // namespace boardcast
