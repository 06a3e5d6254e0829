#pragma once
// What the program asks of an embedded web browser and the page it shows. Calls that read or
// write the page are asynchronous: they take a continuation, which runs later on the same
// (user-interface) thread, at most once, and not at all when the browser goes away first.

#include <functional>
#include <optional>
#include <string>

namespace boardcast {

// The page's body element as HTML text: outer with the body tag itself, inner without it.
struct BodyHtml {
    std::string outer;
    std::string inner;
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

    // Sets the value of document.forms[form].elements[field] (0-based, document order) and
    // tells the page's scripts through "input" and "change" events. false on any failure:
    // no such form or control, a control without a value, no document. The text goes to the
    // page as data, never as script.
    virtual void setFormFieldValue(int form, int field, const std::string& text,
                                   std::function<void(bool written)> done) = 0;

    // Inserts the text at the caret of the page element that has the keyboard focus, as a
    // paste would, without touching the clipboard. false when no editable element has it.
    virtual void pasteText(const std::string& text, std::function<void(bool pasted)> done) = 0;
};

}  // namespace boardcast
