#pragma once
// The reply check: fetches every watched post in turn with the reply probe and lists those
// whose body has grown by more than 500 bytes over their baseline. Driven entirely by the
// probe's outcomes: each one judges the post just fetched and starts the next.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/watching/measurement.h"
#include "core/watching/watch_lists.h"

namespace boardcast {

inline constexpr std::int64_t kNewReplyThreshold = 500;

// Whether a fresh body byte count means new replies against the stored baseline text: more
// than 500 bytes of growth, or a baseline that is not a number.
bool hasNewReplies(std::int64_t bodyBytes, const std::string& baseline);

// A post whose page could not be fetched, and why.
struct CheckFailure {
    std::string address;
    std::string reason;
};

// Panel 1 at the end of a run: "finished - N new replies found", and how many posts could
// not be checked when some could not.
std::string checkSummary(int newReplies, int failed);

// Panel 2 at the end of a run: the last failure's text, or nothing.
std::string lastFailureText(const std::vector<CheckFailure>& failures);

// Told of each post a check or a measurement has dealt with: failure is empty when the page
// was fetched, else the reason it could not be.
using PostOutcome = std::function<void(const std::string& address, const std::string& failure)>;

class ReplyCheck final : public MeasurementClient {
public:
    // The reply probe is told to report to this check. All three must outlive it. The list
    // is read live at every step, so posts added or removed during a run shift what later
    // steps see.
    ReplyCheck(const WatchList& posts, PageMeasurer& replyProbe, StatusPanels& status);

    // Starts a run from the first post; a run still waiting on a probe is dropped.
    void startReplyCheck();

    bool running() const { return running_; }
    int runIndex() const { return runIndex_; }
    int newReplyCount() const { return newReplyCount_; }
    // The posts that could not be checked in the current or last run, in list order.
    const std::vector<CheckFailure>& failures() const { return failures_; }
    // lstNew: the posts found with new replies in the current or last run, in list order.
    const std::vector<std::string>& newReplies() const { return newReplies_; }

    // Called after every change of newReplies() or of running(); may be empty.
    void setChangedCallback(std::function<void()> changed) { changed_ = std::move(changed); }
    void setPostOutcomeCallback(PostOutcome outcome) { outcome_ = std::move(outcome); }

    // From the reply probe: the close step. A failed post is not listed and the run goes on.
    void onMeasured(std::int64_t bodyBytes) override;
    void onMeasureFailed(const std::string& reason) override;

private:
    void checkNextPost();
    void advance();
    void notify();

    const WatchList& posts_;
    PageMeasurer& probe_;
    StatusPanels& status_;
    std::function<void()> changed_;
    PostOutcome outcome_;
    std::vector<std::string> newReplies_;
    std::vector<CheckFailure> failures_;
    int runIndex_ = 0;
    int newReplyCount_ = 0;
    bool running_ = false;
};

}  // namespace boardcast
