#include "browser/auto_insert.h"

#include <algorithm>
#include <array>

#include "browser/page_scan.h"

namespace boardcast {

namespace {

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool containsCi(std::string_view text, std::string_view needle) {
    auto it = std::search(text.begin(), text.end(), needle.begin(), needle.end(),
                          [](char a, char b) { return lower(a) == lower(b); });
    return it != text.end() || needle.empty();
}

}  // namespace

std::string postSignature(std::string_view insertedText) {
    size_t length = insertedText.size();
    for (std::string_view marker : std::array<std::string_view, 4>{"\r\n", "\r", "\n", "<"}) {
        size_t p = insertedText.find(marker);
        // Only the first occurrence of each marker counts, and not at the very start.
        if (p != std::string_view::npos && p > 0 && p < length) length = p;
    }
    return std::string(insertedText.substr(0, length));
}

bool pageShowsSignature(const BodyHtml& body, std::string_view signature) {
    return containsCi(body.outer + "\r\n" + body.inner, signature);
}

AutoInsert::AutoInsert(Browser& browser, std::string scratchPath,
                       std::function<void()> watchCurrentPage)
    : browser_(browser),
      scratchPath_(std::move(scratchPath)),
      watchCurrentPage_(std::move(watchCurrentPage)) {}

void AutoInsert::autoInsertMessage(std::string convertedText,
                                   std::function<void(bool inserted)> done) {
    browser_.readBody([this, text = std::move(convertedText),
                       done = std::move(done)](std::optional<BodyHtml> body) mutable {
        // No readable body, or a scratch file that cannot be written or read, fails like a
        // page without a posting form.
        if (!body) return done(false);
        auto form = findPostingForm(scratchPath_, *body);
        if (!form || form.value() < 0) return done(false);
        auto field = findMessageField(scratchPath_, form.value());
        if (!field || field.value() < 0) return done(false);
        lastInsertedMessage_ = text;
        armPostCheck();
        browser_.setFormFieldValue(form.value(), field.value(), text, std::move(done));
    });
}

void AutoInsert::armPostCheck() {
    postCheckCountdown_ = kPostChecks;
    ++armId_;
    detected_ = false;
}

void AutoInsert::checkForPostedMessage() {
    bool armed = postCheckCountdown_ >= 1 && postCheckCountdown_ <= kPostChecks;
    // The check is used up now, whether or not the page can be read.
    if (postCheckCountdown_ > 0) --postCheckCountdown_;
    if (!armed) return;
    browser_.readBody([this, id = armId_,
                       signature = postSignature(lastInsertedMessage_)](std::optional<BodyHtml> body) {
        if (!body || id != armId_ || detected_) return;
        if (!pageShowsSignature(*body, signature)) return;
        detected_ = true;
        postCheckCountdown_ = 0;  // found: the detection ends here
        if (watchCurrentPage_) watchCurrentPage_();
    });
}

}  // namespace boardcast
