#pragma once
// Auto-insert: writes the converted message into the text area of the posting form of the
// page shown, then watches the next four completed downloads for a page that shows the
// message, which is then put on the watch list by itself.

#include <functional>
#include <string>
#include <string_view>

#include "browser/browser.h"

namespace boardcast {

// How the chosen format marks up links: HTML tags, or text (plain, BBCode and the like).
enum class Markup { Plain, Html };

// What auto-insert writes, and what the post detection needs to recognise it afterwards.
struct InsertRequest {
    std::string convertedText;      // the outgoing text
    Markup markup = Markup::Plain;  // Html when the chosen template writes HTML links
    std::string linkMarkup{};       // how the chosen template opens a link; empty for "text"
    std::string messageText{};      // the message as written, before conversion (rendered
                                    // for rich text editors)
};

// The text that shows a post was made, as a reader of the page sees it: the inserted text up
// to its first line break (CR LF, CR or LF) or "<", where such a marker in the very first
// position does not count, and before the template's link markup; HTML tags dropped and
// entities decoded for Html messages; white space collapsed. When that is too short to mean
// anything (a first line that is only a link), the first words of the message as written.
std::string postSignature(const InsertRequest& inserted);

// Runs of white space (also no-break spaces) become one blank; none at either end.
std::string collapseWhiteSpace(std::string_view text);

// Whether the page's visible text holds the signature, in any letter case and with runs of
// white space collapsed. An empty signature is always held.
bool pageShowsSignature(const BodyHtml& body, std::string_view signature);

class AutoInsert {
public:
    static constexpr int kPostChecks = 4;

    // watchCurrentPage runs when a watched-for page has loaded ("Watch This Post"); its
    // argument says whether the page showed the message inserted (rather than being a
    // watched post opened from a list with nothing inserted, which any page matches).
    using WatchPage = std::function<void(bool messageShown)>;
    AutoInsert(Browser& browser, std::string scratchPath, WatchPage watchCurrentPage);

    // Finds the posting form and its message field and writes the message there: the
    // converted text, or for a rich text editor the rendered message; done tells whether and
    // how it was written, and what an editor lost of it. Once the field is found, the last
    // inserted message and the post detection are set, whether or not the write succeeds;
    // an editor that does not hold the message as written turns the detection off again. A
    // page without a form text area gets the message in its one message box outside any
    // form, when it has exactly one. A write that a newer one overtakes before it is done
    // calls done no more.
    void autoInsertMessage(InsertRequest request, std::function<void(InsertResult)> done);

    // After every completed download: while armed, looks for the last inserted message in
    // the page. Each call uses up one of the four checks.
    void checkForPostedMessage();

    // Arms the detection for the next four downloads (a watched post was opened).
    void armPostCheck();

    const std::string& lastInsertedMessage() const { return last_.convertedText; }
    int postCheckCountdown() const { return postCheckCountdown_; }

private:
    void armFor(InsertRequest request);
    void disarm();

    Browser& browser_;
    std::string scratchPath_;
    WatchPage watchCurrentPage_;
    InsertRequest last_;
    int postCheckCountdown_ = 0;
    // Each arming starts a new detection; a page read for an older one, or after the post
    // was already found, watches nothing.
    int armId_ = 0;
    bool detected_ = false;
    int insertId_ = 0;  // counts the inserts; only the newest one's outcome counts
};

}  // namespace boardcast
