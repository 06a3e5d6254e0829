#pragma once
// The message as a rich text editor should get it, and the check of what such an editor
// kept of it after the write.

#include <string>
#include <string_view>
#include <vector>

#include "posting/browser.h"

namespace boardcast {

// The message as written, rendered: paragraphs at blank lines, line breaks within them, and
// every address the conversion finds as <a href="TARGET">ADDRESS</a>, with the same targets
// the conversion writes (www. addresses to http://, e-mail addresses to mailto:). Links the
// user wrote in BBCode ([url], [link], [email]) or Markdown become links too. The rest is
// text, other markup the user wrote included, except HTML when keepHtml (the chosen format
// writes HTML): that stays markup, which the page side cleans of anything that runs.
RenderedMessage renderMessage(std::string_view message, bool keepHtml);

// The words of a text: its runs between white space.
std::vector<std::string> wordsOf(std::string_view text);

// What an editor holds, read back after a write: what a reader sees of it, and the targets
// of its links. An editor that keeps markup as text (BBCode) has its links in its text.
struct ReadBack {
    std::string text;
    std::vector<std::string> targets{};
    bool markupAsText = false;
};

// Fills result's missing lists: the words not found in the editor's text in their order,
// and the targets that are not links there (for markupAsText: not in the text).
void findLosses(const std::vector<std::string>& words, const std::vector<std::string>& targets,
                const ReadBack& read, InsertResult& result);

// findLosses for a write of message: of its rendered form when that went in, else of its
// converted text.
void findWriteLosses(const MessageText& message, bool renderedWent, const ReadBack& read,
                     InsertResult& result);

// What to tell the user of an editor's losses: the links and words it did not keep, a few
// of each.
std::string lossReport(const InsertResult& result);

}  // namespace boardcast
