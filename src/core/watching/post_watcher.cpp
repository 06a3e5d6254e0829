#include "core/watching/post_watcher.h"

#include "core/storage/text_file.h"
#include "core/watching/parallel_check.h"

namespace boardcast {

PostWatcher::PostWatcher(WatchList& posts, PageMeasurer& sizeProbe, StatusPanels& status)
    : posts_(posts), probe_(sizeProbe), status_(status) {
    probe_.setClient(this);
}

static_assert(kMaxListEntries == 32767, "PostWatcher::kListFull names the cap");

std::string PostWatcher::refusedReason(const std::string& address) {
    if (address.find_first_of("\r\n") != std::string::npos) return "the address holds a line break";
    // A blank line in posts.txt is skipped on reading, which would shift every later size.
    if (address.find_first_not_of(" \t") == std::string::npos) return "the address is empty";
    return {};
}

int PostWatcher::watchCurrentPage(const std::string& address, bool postedNow) {
    if (std::string reason = refusedReason(address); !reason.empty()) {
        lastFailure_ = std::move(reason);
        return -1;
    }
    // A new post gets its "not measured" entry now rather than when the probe answers, so a
    // probe that fails or is dropped cannot leave the post without a size.
    int index = posts_.indexOfWatched(address);
    added_ = index < 0;
    if (index < 0) index = posts_.append(address);
    if (index < 0) {
        lastFailure_ = kListFull;
        return -1;
    }

    // Starting the probe drops any measurement still running, so only this one is awaited.
    address_ = address;
    postedNow_ = postedNow;
    lastFailure_.clear();
    measuring_ = true;
    probe_.startMeasuring(address);
    return index;
}

void PostWatcher::removeWatch(int selectedIndex) {
    posts_.removeAt(selectedIndex);  // ignores -1 and any other index out of range
}

void PostWatcher::onMeasured(const MeasuredPage& page) {
    if (!measuring_) return;
    measuring_ = false;
    // By address: posts added or removed meanwhile must not shift the size onto another post.
    const int index = recordMeasurement(posts_, address_, page, added_, secondsNow());
    if (postedNow_ && page.postsRead) {
        posts_.learnOwnName(hostKey(address_), newestPost(page.posts).author);
    }
    if (index >= 0 && posts_.at(index).address != address_) {
        status_.setPanelText(2, "This thread is watched already, as " +
                                    shownName(posts_, posts_.at(index).address) +
                                    "; measured it again");
    } else {
        status_.setPanelText(2, "Response completed");
    }
    if (outcome_) outcome_(address_, nullptr);
}

void PostWatcher::onMeasureFailed(const MeasureFailure& failure) {
    const std::string& reason = failure.reason;
    if (!measuring_) return;
    measuring_ = false;
    // The post keeps what it had: "not measured", or the baseline of an earlier measurement.
    // The probe has shown the reason in the status bar already.
    lastFailure_ = reason;
    if (outcome_) outcome_(address_, &failure);
}

}  // namespace boardcast
