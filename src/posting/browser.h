#pragma once
// What the program asks of an embedded web browser and the page it shows. Calls that read or
// write the page are asynchronous: they take a continuation, which runs later on the same
// (user-interface) thread, at most once, and not at all when the browser goes away first.

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace boardcast {

// The page's body element as HTML text: outer with the body tag itself, inner without it;
// the body's text as a reader sees it (rendered text only, entities decoded); and the
// address the page names as its canonical one (<link rel="canonical">), "" when none.
struct BodyHtml {
    std::string outer;
    std::string inner;
    std::string visibleText{};
    std::string canonical{};
};

// The message for editors of rendered text: HTML whose links are links, and what a reader
// must find in such an editor after the write.
struct RenderedMessage {
    std::string html;
    std::vector<std::string> words{};    // the text a reader sees, word by word, in order
    std::vector<std::string> targets{};  // each link's target, in order
};

// A message on its way into a page. A plain field, and an editor that keeps markup as text
// (BBCode, or its own source view), get text as the chosen format converted it; an editor of
// rendered text gets the rendered form and writes its own link markup from it.
struct MessageText {
    std::string text;  // line breaks as CR LF
    RenderedMessage rendered{};
};

// Where the scans found the message field: document.forms[form], and there the field-th of
// its input and text-area elements in document order. textArea says the scans found a
// text-area tag; a write that resolves to anything else fails.
struct FieldTarget {
    int form = -1;
    int field = -1;
    bool textArea = true;
};

// Where a write would go: found when the page has a box for it; markdown when that box
// belongs to a composer of a forum that renders Markdown (NodeBB's, Discourse's, Flarum's,
// a Markdown editor's), where BBCode and HTML tags show as text.
struct MessageBoxFacts {
    bool found = false;
    bool markdown = false;
};

// What an insertion did: written or not (cancelled: the user chose to write nothing), and how (the
// field itself, or which editor). An editor is read back after the write: what it did not keep of
// the message is listed, and the words it holds beyond the message (an earlier draft it did not
// give up) are counted.
struct InsertResult {
    bool written = false;
    std::string how;
    std::vector<std::string> missingWords{};
    std::vector<std::string> missingLinks{};
    size_t extraWords = 0;
    bool cancelled = false;
    // The editor does not hold the message as it was written.
    bool differs() const {
        return !missingWords.empty() || !missingLinks.empty() || extraWords > 0;
    }
};

// Events of the browser, delivered on the user-interface thread.
class BrowserEvents {
public:
    virtual ~BrowserEvents() = default;
    virtual void onStatusTextChange(const std::string& text) = 0;  // link hover, status text
    virtual void onProgressChange(int percent) = 0;
    virtual void onDownloadBegin() = 0;
    virtual void onDownloadComplete() = 0;  // after every load, also a failed one
    virtual void onTitleChange(const std::string& title) = 0;
    // A page asks for a new window. Return true to refuse it; otherwise the page opens in a
    // separate browser window.
    virtual bool onNewWindow() = 0;
};

// BrowserEvents made of callbacks, for windows that want a few of them: an empty callback
// does nothing, and an empty refuseNewWindow lets every new window open.
struct BrowserEventHandlers final : BrowserEvents {
    std::function<void(const std::string&)> statusText;
    std::function<void()> downloadBegin;
    std::function<void()> downloadComplete;
    std::function<void(const std::string&)> titleChange;
    std::function<bool()> refuseNewWindow;

    void onStatusTextChange(const std::string& text) override {
        if (statusText) statusText(text);
    }
    void onProgressChange(int) override {}
    void onDownloadBegin() override {
        if (downloadBegin) downloadBegin();
    }
    void onDownloadComplete() override {
        if (downloadComplete) downloadComplete();
    }
    void onTitleChange(const std::string& title) override {
        if (titleChange) titleChange(title);
    }
    bool onNewWindow() override { return refuseNewWindow && refuseNewWindow(); }
};

class Browser {
public:
    virtual ~Browser() = default;
    virtual void setEvents(BrowserEvents* events) = 0;

    // Returns at once; the page loads in the background and a failed load is shown by the
    // browser itself.
    virtual void navigate(const std::string& address) = 0;
    virtual void goBack() = 0;     // nothing at the start of the history
    virtual void goForward() = 0;  // nothing at the end of the history
    virtual void stop() = 0;
    virtual void refresh() = 0;
    virtual std::string locationUrl() const = 0;   // empty when no page is shown
    virtual std::string locationName() const = 0;  // the page's title

    // The body of the page shown, or nothing when there is no readable body: a blank page,
    // a page still loading, a download that is not HTML.
    virtual void readBody(std::function<void(std::optional<BodyHtml>)> done) = 0;

    // Writes the message into the field the scans found. A field that a rich text editor
    // hides or drives gets the message through that editor, so that the form sends it, and
    // the editor is then read back (for up to a few seconds while it settles) for what it
    // lost; a plain field gets its value set, and the page's scripts hear "input" and
    // "change". Not written on any failure: no such form or field, a field of another kind
    // than the scans found, no document. The text goes to the page as data, never as script.
    virtual void setFormFieldValue(const FieldTarget& target, const MessageText& message,
                                   std::function<void(InsertResult)> done) = 0;

    // For pages whose message box stands outside any form (composers that post by script):
    // writes into the page's one visible message text area or editable box. Not written when
    // there is none, or more than one candidate.
    virtual void insertIntoComposer(const MessageText& message,
                                    std::function<void(InsertResult)> done) = 0;

    // Either write goes first into the box the user works in: the message box that has the
    // focus, else the one shown last after the page came (a composer opened over the page);
    // only without one into the field the scans found, or the composer. This tells, without
    // writing, what the write would go into (target.form < 0: insertIntoComposer's).
    virtual void inspectMessageBox(const FieldTarget& target,
                                   std::function<void(MessageBoxFacts)> done) = 0;

    // Watches the page shown for the text to appear in what the page adds or changes from now
    // on, outside every editable field and editor preview: a post that the page sent by
    // script and then showed without loading. seen runs at most once, with the address the
    // page names as canonical ("" when none); the watch ends then, after seconds, when the
    // page is left, and with a new watch or stopWatchingForText.
    virtual void watchForText(const std::string& text, int seconds,
                              std::function<void(std::string canonical)> seen) = 0;
    virtual void stopWatchingForText() = 0;

    // Inserts the text at the caret of the page element that has the keyboard focus, as a
    // paste would, without touching the clipboard. false when no editable element has it.
    virtual void pasteText(const std::string& text, std::function<void(bool pasted)> done) = 0;
};

}  // namespace boardcast
