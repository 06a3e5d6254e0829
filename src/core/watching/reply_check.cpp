#include "core/watching/reply_check.h"

namespace boardcast {

bool hasNewReplies(std::int64_t bodyBytes, const std::string& baseline) {
    std::optional<std::int32_t> base = parseBaseline(baseline);
    // A post that was never measured (or whose size line is damaged) is always reported.
    if (!base) return true;
    // The baseline is 32-bit, so adding the threshold to it cannot overflow, while
    // subtracting it from a 64-bit count could.
    return bodyBytes > static_cast<std::int64_t>(*base) + kNewReplyThreshold;
}

std::string checkSummary(int newReplies, int failed) {
    std::string text = "finished - " + std::to_string(newReplies) + " new replies found";
    if (failed > 0) text += " (" + std::to_string(failed) + " could not be checked)";
    return text;
}

std::string lastFailureText(const std::vector<CheckFailure>& failures) {
    if (failures.empty()) return {};
    return "Could not reach " + failures.back().address + ": " + failures.back().reason;
}

ReplyCheck::ReplyCheck(const WatchList& posts, PageMeasurer& replyProbe, StatusPanels& status)
    : posts_(posts), probe_(replyProbe), status_(status) {
    probe_.setClient(this);
}

void ReplyCheck::startReplyCheck() {
    newReplies_.clear();
    failures_.clear();
    runIndex_ = 0;
    newReplyCount_ = 0;
    running_ = true;
    notify();
    checkNextPost();
}

void ReplyCheck::checkNextPost() {
    status_.setPanelText(1, "checking post " + std::to_string(runIndex_ + 1));
    if (runIndex_ > posts_.count() - 1) {
        status_.setPanelText(1, checkSummary(newReplyCount_, static_cast<int>(failures_.size())));
        // The last failure stays readable, rather than the last phase of a later post.
        status_.setPanelText(2, lastFailureText(failures_));
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
    if (exists && outcome_) outcome_(posts_.at(runIndex_).address, {});
    if (hasNewReplies(bodyBytes, baseline) && exists) {
        newReplies_.push_back(posts_.at(runIndex_).address);
        ++newReplyCount_;
        notify();
    }
    advance();
}

void ReplyCheck::onMeasureFailed(const std::string& reason) {
    if (!running_) return;
    // An unreachable post is not listed, and it must not stall the rest of the run; it is
    // counted and named.
    if (runIndex_ < posts_.count()) {
        const std::string& address = posts_.at(runIndex_).address;
        failures_.push_back({address, reason});
        if (outcome_) outcome_(address, reason);
    }
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
