#pragma once
// Finding the posting form and its message field in a page's HTML. The body's HTML is broken
// into lines around the form, input and text-area tags, written to the scratch file
// htmltemp.txt and scanned from there line by line, counting tags; the field search reads
// the file the form search left behind.

#include <string>
#include <string_view>

#include "posting/browser.h"
#include "core/result.h"

namespace boardcast {

inline constexpr std::string_view kScratchFile = "htmltemp.txt";

// Puts "<form" and "</form>" on lines of their own and begins a new line at every
// "<input " and "<textarea"; tags are found in any letter case and written in lower case.
std::string preparePageText(std::string_view html);

// The 0-based position among the page's forms of the first form in which a line between its
// start tag and its "</form>" holds "textarea", or -1. Scans the outer HTML, then, when
// nothing was found, the inner HTML; the scratch file keeps the text scanned last. An error
// when the scratch file cannot be written or read.
Result<int> findPostingForm(const std::string& scratchPath, const BodyHtml& body);

// The message field the field scan found: its 0-based position among the input and
// text-area tags of the form, or -1 (also when the field's line is the file's last); and
// whether that line opens a text area (else it is an input whose line holds "textarea").
struct MessageField {
    int index = -1;
    bool textArea = false;
};

// The message field of the form, read from the scratch file.
Result<MessageField> findMessageField(const std::string& scratchPath, int formIndex);

}  // namespace boardcast
