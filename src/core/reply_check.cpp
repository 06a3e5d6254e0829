#include "core/reply_check.h"

namespace boardcast {

bool hasNewReplies(std::int64_t bodyBytes, const std::string& baseline) {
    std::optional<std::int32_t> base = parseBaseline(baseline);
    // A post that was never measured (or whose size line is damaged) is always reported.
    if (!base) return true;
    // The baseline is 32-bit, so adding the threshold to it cannot overflow, while
    // subtracting it from a 64-bit count could.
    return bodyBytes > static_cast<std::int64_t>(*base) + kNewReplyThreshold;
}

ReplyCheck::ReplyCheck(const WatchList& posts, PageMeasurer& replyProbe, StatusPanels& status)
    : posts_(posts), probe_(replyProbe), status_(status) {
    probe_.setClient(this);
}

void ReplyCheck::startReplyCheck() {
    newReplies_.clear();
    runIndex_ = 0;
    newReplyCount_ = 0;
    running_ = true;
    notify();
    checkNextPost();
}

void ReplyCheck::checkNextPost() {
    status_.setPanelText(1, "checking post " + std::to_string(runIndex_ + 1));
    if (runIndex_ > posts_.count() - 1) {
        status_.setPanelText(1,
                             "finished - " + std::to_string(newReplyCount_) + " new replies found");
        running_ = false;
        notify();
        return;
    }
    // Starting the probe drops a fetch still running, so a restarted run hears only of its own.
    probe_.startMeasuring(posts_.at(runIndex_).address);
}

void ReplyCheck::onMeasured(std::int64_t bodyBytes) {
    if (!running_) return;
    // The list is read now, not when the fetch started: the post may have been removed.
    const bool exists = runIndex_ < posts_.count();
    const std::string baseline = exists ? posts_.at(runIndex_).size : std::string();
    if (hasNewReplies(bodyBytes, baseline) && exists) {
        newReplies_.push_back(posts_.at(runIndex_).address);
        ++newReplyCount_;
        notify();
    }
    advance();
}

void ReplyCheck::onMeasureFailed(const std::string& /*reason*/) {
    if (!running_) return;
    // An unreachable post is not listed, and it must not stall the rest of the run.
    advance();
}

void ReplyCheck::advance() {
    ++runIndex_;
    checkNextPost();
}

void ReplyCheck::notify() {
    if (changed_) changed_();
}

}  // namespace boardcast
