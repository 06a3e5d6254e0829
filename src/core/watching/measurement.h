#pragma once
// What the watch list and the reply check need from a page probe, and the status bar they
// and the probe write to. The probe itself lives in net/; these interfaces keep core free of it.

#include <cstdint>
#include <string>
#include <vector>

namespace boardcast {

// The three panels of the main window's status bar: 1 short status words (the reply
// check's progress), 2 phase texts, 3 download progress.
class StatusPanels {
public:
    virtual ~StatusPanels() = default;
    virtual void setPanelText(int panel, const std::string& text) = 0;
};

// A post as a thread page shows it.
struct ForumPost {
    std::string id;         // the engine's number for the post, as the page writes it
    std::string author;     // the name shown for its author (a guest's too); empty if none
    std::string firstLine;  // the first line of its own text, quotes of others left out
    std::string address;    // its permalink, resolved against the page; empty when none

    bool operator==(const ForumPost&) const = default;
};

// What a measurement learns of a page besides its size.
struct MeasuredPage {
    MeasuredPage() = default;
    MeasuredPage(std::int64_t bytes, std::string pageTitle = {})
        : bodyBytes(bytes), title(std::move(pageTitle)) {}

    std::int64_t bodyBytes = 0;
    std::string title;      // the page's <title> as plain text, blanks collapsed; empty when none
    std::string address;    // the page measured, after redirections
    std::string nextPage;   // the address of its thread's next page; empty when it has none
    std::string canonical;  // the address its <link rel="canonical"> names; empty when none

    // Whether the page's posts could be read (an engine's markup was found); posts are
    // then those of this page and, where next pages were followed, of each page after it,
    // in thread order, and latestPostCount how many stand on the last page fetched.
    bool postsRead = false;
    std::vector<ForumPost> posts;
    int latestPostCount = -1;

    // Where following the next pages from this one ended (see LatestPageFinder): the
    // thread's latest page, its size, and the next page it still named when the following
    // stopped short (too many pages, a loop, another host, a failure). Empty latestPage:
    // the pages were not followed.
    std::string latestPage;
    std::int64_t latestBytes = -1;
    std::string latestNext;
};

// Why a page could not be measured. Unreachable: no whole answer came (refused, timed out,
// cut off, too large, too many redirections). The others: an answer came, but it is not
// the thread (an error status, a bot challenge, a login notice, a missing-thread notice).
enum class FailureKind { Unreachable, ErrorStatus, Challenge, LoginRequired, Missing };

struct MeasureFailure {
    MeasureFailure(std::string why, FailureKind failureKind = FailureKind::Unreachable)
        : reason(std::move(why)), kind(failureKind) {}
    MeasureFailure(const char* why) : MeasureFailure(std::string(why)) {}
    std::string reason;  // readable: "Connection refused", "the forum answered 404 Not Found"
    FailureKind kind;
    // The page answered, but with something else than the thread.
    bool notTheThread() const { return kind != FailureKind::Unreachable; }
};

// Told the outcome of a measurement, once per started measurement that was not dropped.
class MeasurementClient {
public:
    virtual ~MeasurementClient() = default;
    virtual void onMeasured(const MeasuredPage& page) = 0;
    // The probe has already shown the reason.
    virtual void onMeasureFailed(const MeasureFailure& failure) = 0;
};

// Fetches a page and counts its body bytes. Starting a measurement drops the one still
// running on the same measurer, which then reports nothing. The outcome reaches the client
// later, from an event; the client may start the next measurement from inside its callback.
class PageMeasurer {
public:
    virtual ~PageMeasurer() = default;
    virtual void setClient(MeasurementClient* client) = 0;
    virtual void startMeasuring(const std::string& url) = 0;
    // Drops the measurement still running, if any: it reports nothing.
    virtual void stopMeasuring() = 0;
};

}  // namespace boardcast
