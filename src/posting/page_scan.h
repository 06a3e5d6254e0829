#pragma once
// Finding the posting form and its message field in a page's HTML. The body's HTML is broken
// into lines around the form, input and text-area tags and scanned line by line, counting
// tags; the field search scans the lines the form search scanned last. Those lines are also
// kept as a record in htmltemp.txt, which nothing reads back.

#include <string>
#include <string_view>
#include <vector>

#include "core/result.h"
#include "posting/browser.h"

namespace boardcast {

inline constexpr std::string_view kScanRecordFile = "htmltemp.txt";

// Puts "<form" and "</form>" on lines of their own and begins a new line at every
// "<input " and "<textarea"; tags are found in any letter case and written in lower case.
std::string preparePageText(std::string_view html);

// A page as the scans read it: the prepared text followed by CR LF, and its lines under the
// data files' line rules (a line ends at CR LF or a lone CR).
struct PreparedPage {
    std::string text;
    std::vector<std::string> lines;
};
PreparedPage preparePage(std::string_view html);

// What the form scan found: the 0-based position among the page's forms of the first form in
// which a line between its start tag and its "</form>" holds "textarea", or -1; and the page
// text it scanned last. The outer HTML is scanned first, then, when nothing was found, the
// inner HTML.
struct PostingForm {
    int index = -1;
    PreparedPage page;
};
PostingForm findPostingForm(const BodyHtml& body);

// The message field the field scan found: its 0-based position among the input and
// text-area tags of the form, or -1 (also when the field's line is the page's last); and
// whether that line opens a text area (else it is an input whose line holds "textarea").
struct MessageField {
    int index = -1;
    bool textArea = false;
};

// The message field of the form, in the page the form scan left.
MessageField findMessageField(const PreparedPage& page, int formIndex);

// Replaces the record file's content with the page text. The page may hold the user's session
// and form tokens, so the file is readable by the user alone.
Status writeScanRecord(const std::string& path, const PreparedPage& page);

}  // namespace boardcast
