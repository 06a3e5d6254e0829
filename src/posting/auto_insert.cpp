#include "posting/auto_insert.h"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "core/text/ascii.h"
#include "core/text/html_escape.h"
#include "core/watching/parallel_check.h"
#include "posting/page_scan.h"
#include "posting/rendered_message.h"

namespace boardcast {

namespace {

// A signature shorter than this (after collapsing) is too common a text to tell a page.
constexpr size_t kMeaningfulSignature = 8;
// The first words of a message, taken instead, stop at a word boundary near this length.
constexpr size_t kFallbackWords = 60;

// The text of an HTML fragment as a reader sees it: tags dropped, references read.
std::string htmlToText(std::string_view html) {
    std::string out;
    for (size_t i = 0; i < html.size();) {
        if (html[i] == '<') {
            size_t end = html.find('>', i);
            if (end == std::string_view::npos) break;  // a cut-off tag shows nothing
            i = end + 1;
            continue;
        }
        out += html[i++];
    }
    return decodeHtmlReferences(out);
}

bool isLinkWord(std::string_view word) {
    return word.find("://") != std::string_view::npos || word.find('@') != std::string_view::npos ||
           findIgnoringCase(word, "www.") != std::string_view::npos;
}

// The first words of the message as written: the first run of words between addresses that
// is long enough to mean something, else the longest run, else the first word. Addresses are
// left out, since forums often shorten how they show them.
std::string firstWords(std::string_view message) {
    const std::string text = collapseWhiteSpace(message);
    std::vector<std::string> runs(1);
    std::string firstWord;
    for (size_t i = 0; i < text.size();) {
        size_t end = text.find(' ', i);
        if (end == std::string::npos) end = text.size();
        const std::string_view word = std::string_view(text).substr(i, end - i);
        if (firstWord.empty()) firstWord = word;
        if (isLinkWord(word)) {
            runs.emplace_back();
        } else if (runs.back().size() < kFallbackWords) {
            if (!runs.back().empty()) runs.back() += ' ';
            runs.back() += word;
        }
        i = end + 1;
    }
    const std::string* longest = &runs.front();
    for (const std::string& run : runs) {
        if (run.size() >= kMeaningfulSignature) return run;
        if (run.size() > longest->size()) longest = &run;
    }
    return longest->empty() ? firstWord : *longest;
}

// The host (and port) of a web address, lower case; "" for anything but http and https.
std::string webHostOf(std::string_view address) {
    const bool web =
        startsWithIgnoringCase(address, "http://") || startsWithIgnoringCase(address, "https://");
    return web ? hostKey(std::string(address)) : std::string();
}

}  // namespace

std::string watchedAddressOf(std::string_view shownAddress, std::string_view canonical) {
    const std::string host = webHostOf(canonical);
    if (host.empty() || host != webHostOf(shownAddress)) return {};
    return std::string(canonical);
}

std::string collapseWhiteSpace(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    bool pendingBlank = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const bool noBreakSpace =
            c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0xA0;
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v' ||
            noBreakSpace) {
            pendingBlank = true;
            if (noBreakSpace) ++i;
            continue;
        }
        if (pendingBlank && !out.empty()) out += ' ';
        pendingBlank = false;
        out += static_cast<char>(c);
    }
    return out;
}

std::string postSignature(const InsertRequest& inserted) {
    const std::string_view text = inserted.convertedText;
    if (text.empty()) return {};
    size_t length = text.size();
    for (std::string_view marker : std::array<std::string_view, 4>{"\r\n", "\r", "\n", "<"}) {
        size_t p = text.find(marker);
        // Only the first occurrence of each marker counts, and not at the very start.
        if (p != std::string_view::npos && p > 0 && p < length) length = p;
    }
    // The link itself is shown rendered, so the text before it is what can be matched.
    if (!inserted.link.text.empty()) {
        length = std::min(length, findIgnoringCase(text.substr(0, length), inserted.link.text));
    }
    const std::string_view head = text.substr(0, length);
    std::string signature =
        collapseWhiteSpace(inserted.link.writesHtml() ? htmlToText(head) : std::string(head));
    if (signature.size() < kMeaningfulSignature) {
        std::string words = firstWords(inserted.messageText);
        if (words.size() > signature.size()) signature = std::move(words);
    }
    return signature;
}

bool pageShowsSignature(const BodyHtml& body, std::string_view signature) {
    return containsIgnoringCase(collapseWhiteSpace(body.visibleText),
                                collapseWhiteSpace(signature));
}

AutoInsert::AutoInsert(Browser& browser, std::string recordPath, WatchPage watchCurrentPage)
    : browser_(browser),
      recordPath_(std::move(recordPath)),
      watchCurrentPage_(std::move(watchCurrentPage)) {}

void AutoInsert::autoInsertMessage(InsertRequest request, std::function<void(InsertResult)> done) {
    const int id = ++insertId_;
    browser_.readBody([this, id, request = std::move(request),
                       done = std::move(done)](std::optional<BodyHtml> body) mutable {
        // No readable body fails like a page without a posting form.
        if (id != insertId_) return;
        if (!body) return done({});
        const PostingForm form = findPostingForm(*body);
        // The record is for people looking into a failed insert; nothing reads it back, so a
        // failed write changes nothing here, and the insert has no channel for such a note.
        (void)writeScanRecord(recordPath_, form.page);
        FieldTarget target;  // form -1: no form holds a text area; a composer may take it
        if (form.index >= 0) {
            const MessageField field = findMessageField(form.page, form.index);
            if (field.index < 0) return done({});
            target = {form.index, field.index, field.textArea};
        }
        browser_.inspectMessageBox(target, [this, id, target, request = std::move(request),
                                            done = std::move(done)](MessageBoxFacts facts) mutable {
            if (id != insertId_) return;
            if (!facts.found) return done({});
            if (!facts.markdown || request.asText.empty() || !askMarkdown_) {
                return write(id, std::move(request), target, std::move(done));
            }
            askMarkdown_([this, id, target, request = std::move(request),
                          done = std::move(done)](MarkdownAnswer answer) mutable {
                if (id != insertId_) return;
                if (answer == MarkdownAnswer::Cancel) {
                    InsertResult nothing;
                    nothing.cancelled = true;
                    return done(std::move(nothing));
                }
                if (answer == MarkdownAnswer::InsertAsText) {
                    request.convertedText = std::move(request.asText);
                    request.link = {};
                    request.asText.clear();
                }
                write(id, std::move(request), target, std::move(done));
            });
        });
    });
}

void AutoInsert::write(int id, InsertRequest request, const FieldTarget& target,
                       std::function<void(InsertResult)> done) {
    MessageText message{request.convertedText,
                        renderMessage(request.messageText, request.link.writesHtml())};
    // A write overtaken by a newer one before its editor was read back reports nothing.
    if (target.form < 0) {
        browser_.insertIntoComposer(message, [this, id, request = std::move(request),
                                              done = std::move(done)](InsertResult result) mutable {
            if (id != insertId_) return;
            if (result.written && !result.differs()) {
                armFor(std::move(request));
                watchThisPage();
            }
            done(std::move(result));
        });
        return;
    }
    // Once the field is found the detection is armed, even when the write then fails; an
    // editor that does not hold the message as written disarms it: the user is told, and
    // has to mend the message first.
    armFor(std::move(request));
    browser_.setFormFieldValue(target, message,
                               [this, id, done = std::move(done)](InsertResult result) {
                                   if (id != insertId_) return;
                                   if (result.differs()) {
                                       disarm();
                                   } else if (result.written) {
                                       watchThisPage();
                                   }
                                   done(std::move(result));
                               });
}

void AutoInsert::armFor(InsertRequest request) {
    last_ = std::move(request);
    armPostCheck();
}

void AutoInsert::armPostCheck() {
    postCheckCountdown_ = kPostChecks;
    armedAt_ = std::chrono::steady_clock::now();
    ++armId_;
    detected_ = false;
    browser_.stopWatchingForText();
}

void AutoInsert::disarm() {
    postCheckCountdown_ = 0;
    ++armId_;
    browser_.stopWatchingForText();
}

void AutoInsert::watchThisPage() {
    const std::string signature = postSignature(last_);
    const auto left = std::chrono::duration_cast<std::chrono::seconds>(
        kPageWatch - (std::chrono::steady_clock::now() - armedAt_));
    // Nothing inserted (a watched post opened from a list) gives nothing to look for.
    if (signature.empty() || left.count() <= 0 || detected_) return;
    browser_.watchForText(signature, static_cast<int>(left.count()),
                          [this, id = armId_](std::string canonical) {
                              if (id != armId_ || detected_) return;
                              found({true, watchedAddressOf(browser_.locationUrl(), canonical)});
                          });
}

void AutoInsert::found(SeenPost seen) {
    detected_ = true;
    postCheckCountdown_ = 0;  // found: the detection ends here
    browser_.stopWatchingForText();
    if (watchCurrentPage_) watchCurrentPage_(seen);
}

void AutoInsert::checkForPostedMessage() {
    bool armed = postCheckCountdown_ >= 1 && postCheckCountdown_ <= kPostChecks;
    // The check is used up now, whether or not the page can be read.
    if (postCheckCountdown_ > 0) --postCheckCountdown_;
    if (!armed) return;
    browser_.readBody(
        [this, id = armId_, signature = postSignature(last_)](std::optional<BodyHtml> body) {
            if (!body || id != armId_ || detected_) return;
            if (pageShowsSignature(*body, signature)) {
                return found({!signature.empty(),
                              watchedAddressOf(browser_.locationUrl(), body->canonical)});
            }
            // Not shown yet: this page may still show it once it sends the post by script.
            if (postCheckCountdown_ > 0) watchThisPage();
        });
}

}  // namespace boardcast
