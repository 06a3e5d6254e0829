#pragma once
// Auto-insert: writes the converted message into the text area of the posting form of the
// page shown, then watches the next four completed downloads for a page that shows the
// message, which is then put on the watch list by itself.

#include <functional>
#include <string>
#include <string_view>

#include "browser/browser.h"

namespace boardcast {

// The text that shows a post was made: the inserted text up to its first line break (CR LF,
// CR or LF) or "<", where a marker in the very first position does not count.
std::string postSignature(std::string_view insertedText);

// Whether the page (outer HTML, CR LF, inner HTML) holds the signature, in any letter case.
// An empty signature is always held.
bool pageShowsSignature(const BodyHtml& body, std::string_view signature);

class AutoInsert {
public:
    static constexpr int kPostChecks = 4;

    // watchCurrentPage runs when a watched-for page has loaded ("Watch This Post").
    AutoInsert(Browser& browser, std::string scratchPath, std::function<void()> watchCurrentPage);

    // Finds the posting form and its message field and writes convertedText there; done
    // tells whether it was written. Once the field is found, lastInsertedMessage and the
    // post detection are set, whether or not the write then succeeds.
    void autoInsertMessage(std::string convertedText, std::function<void(bool inserted)> done);

    // After every completed download: while armed, looks for the last inserted message in
    // the page. Each call uses up one of the four checks.
    void checkForPostedMessage();

    // Arms the detection for the next four downloads (a watched post was opened).
    void armPostCheck();

    const std::string& lastInsertedMessage() const { return lastInsertedMessage_; }
    int postCheckCountdown() const { return postCheckCountdown_; }

private:
    Browser& browser_;
    std::string scratchPath_;
    std::function<void()> watchCurrentPage_;
    std::string lastInsertedMessage_;
    int postCheckCountdown_ = 0;
    // Each arming starts a new detection; a page read for an older one, or after the post
    // was already found, watches nothing.
    int armId_ = 0;
    bool detected_ = false;
};

}  // namespace boardcast
