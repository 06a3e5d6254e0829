#pragma once
// "Watch This Post" and "Remove Watch" over the watch list, with the size probe that
// measures a watched page's baseline.

#include <cstdint>
#include <string>

#include "core/watching/measurement.h"
#include "core/watching/reply_check.h"
#include "core/watching/watch_lists.h"

namespace boardcast {

class PostWatcher final : public MeasurementClient {
public:
    // The size probe is told to report to this watcher. All three must outlive it.
    PostWatcher(WatchList& posts, PageMeasurer& sizeProbe, StatusPanels& status);

    // Watches the page at address: a new post is appended at once with its size reading
    // "not measured"; an already watched one stays where it is. Either way the page is
    // measured, and the result becomes the post's baseline when it arrives. Returns the
    // post's index, or -1 when the list is full or the address cannot be fetched (nothing is
    // then added or measured; refusedReason() says why).
    // postedNow: post detection found the user's message on the page, so the author of its
    // newest post is the name the user posts under on that forum, and is learnt for it.
    int watchCurrentPage(const std::string& address, bool postedNow = false);

    // Why an address cannot be watched: it is blank (a blank line is no entry in
    // posts.txt), or it holds a line break (which would split the request and the file's
    // lines); empty when it can.
    static std::string refusedReason(const std::string& address);

    // Why a new post was not added although its address is fine.
    static constexpr std::string_view kListFull =
        "the list of watched posts is full (32767 posts); remove some to watch more";

    void setPostOutcomeCallback(PostOutcome outcome) { outcome_ = std::move(outcome); }

    // Removes the post at the selected index with its size; -1 or out of range does nothing.
    void removeWatch(int selectedIndex);

    // The outcome of the measurement last started, if any is still awaited.
    bool measuring() const { return measuring_; }
    const std::string& measuredAddress() const { return address_; }
    // The last measurement's failure reason; empty when it succeeded or none ended yet.
    const std::string& lastFailure() const { return lastFailure_; }

    // From the size probe. The measurement goes to the post with the measured address,
    // wherever it now stands, or nowhere when it is gone (see recordMeasurement: a thread
    // already watched under another address takes it instead, and the new entry goes);
    // panel 2 then reads "Response completed", or names the entry that took it.
    void onMeasured(const MeasuredPage& page) override;
    void onMeasureFailed(const MeasureFailure& failure) override;

private:
    WatchList& posts_;
    PageMeasurer& probe_;
    StatusPanels& status_;
    std::string address_;
    bool added_ = false;  // the post of address_ was added for this measurement
    bool postedNow_ = false;
    std::string lastFailure_;
    PostOutcome outcome_;
    bool measuring_ = false;
};

}  // namespace boardcast
