#include "posting/page_scan.h"

#include <vector>

#include "core/storage/text_file.h"
#include "core/text/ascii.h"

namespace boardcast {

namespace {

// Replaces every occurrence of needle (any case) by before + needle + after.
std::string surround(std::string_view text, std::string_view needle, std::string_view before,
                     std::string_view after) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    size_t i = 0;
    while (i < text.size()) {
        if (startsWithIgnoringCase(text.substr(i), needle)) {
            out += before;
            out += needle;
            out += after;
            i += needle.size();
        } else {
            out += text[i++];
        }
    }
    return out;
}

// The form scan over the page's lines: the counter of the first form that holds
// "textarea" between its start tag and its end tag, or -1.
int scanForms(const std::vector<std::string>& lines) {
    int formCounter = -1;
    bool insideForm = false;
    for (const std::string& line : lines) {
        if (!insideForm) {
            if (containsIgnoringCase(line, "<form")) {
                insideForm = true;
                ++formCounter;
            }
            continue;
        }
        if (containsIgnoringCase(line, "textarea")) return formCounter;
        if (containsIgnoringCase(line, "</form>")) insideForm = false;
    }
    return -1;
}

}  // namespace

std::string preparePageText(std::string_view html) {
    std::string text = surround(html, "<form", kCrLf, kCrLf);
    text = surround(text, "</form>", kCrLf, kCrLf);
    text = surround(text, "<input ", kCrLf, "");
    return surround(text, "<textarea", kCrLf, "");
}

PreparedPage preparePage(std::string_view html) {
    PreparedPage page{preparePageText(html) + std::string(kCrLf), {}};
    page.lines = splitLines(page.text);
    return page;
}

PostingForm findPostingForm(const BodyHtml& body) {
    PostingForm found;
    for (const std::string* html : {&body.outer, &body.inner}) {
        found.page = preparePage(*html);
        found.index = scanForms(found.page.lines);
        if (found.index >= 0) break;
    }
    return found;
}

MessageField findMessageField(const PreparedPage& page, int formIndex) {
    const std::vector<std::string>& all = page.lines;
    int formCounter = -1;
    int fieldCounter = -1;
    for (size_t i = 0; i < all.size(); ++i) {
        const std::string& line = all[i];
        if (containsIgnoringCase(line, "<form")) ++formCounter;
        if (formCounter != formIndex) continue;
        if (containsIgnoringCase(line, "<textarea") || containsIgnoringCase(line, "<input"))
            ++fieldCounter;
        if (containsIgnoringCase(line, "textarea")) {
            // Found on the page's last line, the scan has reached the end of the page: no field.
            if (i + 1 == all.size()) return MessageField{};
            return MessageField{fieldCounter, containsIgnoringCase(line, "<textarea")};
        }
    }
    return MessageField{};
}

Status writeScanRecord(const std::string& path, const PreparedPage& page) {
    return writeFileAtomic(path, page.text, 0600);
}

}  // namespace boardcast
