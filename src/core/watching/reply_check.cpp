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

void noteFetchedPage(WatchList& posts, const std::string& address, const MeasuredPage& page,
                     std::int64_t now) {
    const int index = posts.indexOfWatched(address);
    if (index < 0) return;
    const std::string& baseline = posts.at(index).size;
    PostDetails& d = posts.details(address);
    const bool grownNow = hasNewReplies(page.bodyBytes, baseline);
    // Grown again since the last fetch, or grown for the first time.
    const bool grownBefore = d.seenBytes >= 0 && hasNewReplies(d.seenBytes, baseline);
    if (grownNow && (!grownBefore || page.bodyBytes > d.seenBytes + kNewReplyThreshold)) {
        d.grewAt = now;
    }
    if (!page.title.empty()) d.title = page.title;
    d.checkedAt = now;
    d.seenBytes = page.bodyBytes;
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

}  // namespace boardcast
