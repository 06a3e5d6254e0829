#pragma once
// Auto-insert: writes the converted message into the box the user works in, else the text
// area of the posting form of the page shown; then watches for the message to show as a
// post, in the next four completed downloads and, for a post sent by script, in what the
// page itself adds for a few minutes. The thread is then put on the watch list by itself.

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

#include "core/conversion/message_output.h"
#include "posting/browser.h"

namespace boardcast {

// What auto-insert writes, and what the post detection needs to recognise it afterwards.
struct InsertRequest {
    std::string convertedText;  // the outgoing text
    // How the chosen template opens a link: whether it writes HTML links, and where the
    // post's signature ends; empty for "text".
    LinkOpening link{};
    std::string messageText{};  // the message as written, before conversion (rendered
                                // for rich text editors)
    // The message converted as "text", for a composer that would show the chosen format's
    // tags as text; empty when the chosen format writes no tags.
    std::string asText{};
};

// What the user answers when the chosen format's tags would show as text in a Markdown
// composer.
enum class MarkdownAnswer { InsertAsText, InsertAsChosen, Cancel };

// The page the detection found the message on, for the watch list: messageShown says the
// page showed the inserted message (rather than being a watched post opened from a list with
// nothing inserted, which any page matches); address is the page's canonical address when it
// names one on its own host, else "" for the address shown.
struct SeenPost {
    bool messageShown = false;
    std::string address;
};

// The address a page is watched under: its canonical one when that is a web address on the
// page's own host (a forum's canonical address drops page numbers and post anchors that a
// script wrote into the address bar), else "" (the address shown).
std::string watchedAddressOf(std::string_view shownAddress, std::string_view canonical);

// The text that shows a post was made, as a reader of the page sees it: the inserted text up
// to its first line break (CR LF, CR or LF) or "<", where such a marker in the very first
// position does not count, and before the template's link opening; HTML tags dropped and
// entities decoded when it writes HTML links; white space collapsed. When that is too short
// to mean anything (a first line that is only a link), the first words of the message as
// written.
std::string postSignature(const InsertRequest& inserted);

// Runs of white space (also no-break spaces) become one blank; none at either end.
std::string collapseWhiteSpace(std::string_view text);

// Whether the page's visible text holds the signature, in any letter case and with runs of
// white space collapsed. An empty signature is always held.
bool pageShowsSignature(const BodyHtml& body, std::string_view signature);

class AutoInsert {
public:
    static constexpr int kPostChecks = 4;
    // How long a page is watched for a post sent without loading.
    static constexpr std::chrono::seconds kPageWatch{300};

    // watchCurrentPage runs when the message showed as a post ("Watch This Post"); each
    // insert leaves the page text it scanned in the file recordPath (htmltemp.txt).
    using WatchPage = std::function<void(const SeenPost&)>;
    AutoInsert(Browser& browser, std::string recordPath, WatchPage watchCurrentPage);

    // Asked before a message whose format writes tags goes into a Markdown composer; it
    // answers through its argument, at once or later. Without it the message goes in as
    // chosen.
    using AskMarkdown = std::function<void(std::function<void(MarkdownAnswer)>)>;
    void setMarkdownQuestion(AskMarkdown ask) { askMarkdown_ = std::move(ask); }

    // Finds the posting form and its message field and writes the message there: the
    // converted text, or for a rich text editor the rendered message; done tells whether and
    // how it was written, and what an editor lost of it. Once the field is found, the last
    // inserted message and the post detection are set, whether or not the write succeeds;
    // an editor that does not hold the message as written turns the detection off again. A
    // page without a form text area gets the message in its one message box outside any
    // form, when it has exactly one. A Markdown composer with a format that writes tags asks
    // first (Cancel: done with cancelled). A write that a newer one overtakes before it is
    // done calls done no more.
    void autoInsertMessage(InsertRequest request, std::function<void(InsertResult)> done);

    // After every completed download: while armed, looks for the last inserted message in
    // the page, and else watches the new page for it. Each call uses up one of the four
    // checks.
    void checkForPostedMessage();

    // Arms the detection for the next four downloads (a watched post was opened).
    void armPostCheck();

    const std::string& lastInsertedMessage() const { return last_.convertedText; }
    int postCheckCountdown() const { return postCheckCountdown_; }

private:
    void write(int id, InsertRequest request, const FieldTarget& target,
               std::function<void(InsertResult)> done);
    void armFor(InsertRequest request);
    void disarm();
    // Watches the page shown for the message, for what is left of kPageWatch.
    void watchThisPage();
    void found(SeenPost seen);

    Browser& browser_;
    std::string recordPath_;
    WatchPage watchCurrentPage_;
    AskMarkdown askMarkdown_;
    InsertRequest last_;
    std::chrono::steady_clock::time_point armedAt_{};
    int postCheckCountdown_ = 0;
    // Each arming starts a new detection; a page read for an older one, or after the post
    // was already found, watches nothing.
    int armId_ = 0;
    bool detected_ = false;
    int insertId_ = 0;  // counts the inserts; only the newest one's outcome counts
};

}  // namespace boardcast
