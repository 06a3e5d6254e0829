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

}  // namespace boardcast
