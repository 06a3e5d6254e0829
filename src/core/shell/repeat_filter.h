#pragma once
// The message-box policy for failures that repeat: a write that fails at every keystroke
// would otherwise bury the user in boxes. The same text is shown at most once a minute;
// the status bar still tells of every one.

#include <cstdint>
#include <map>
#include <string>

namespace boardcast {

class RepeatFilter {
public:
    static constexpr std::int64_t kQuietMs = 60 * 1000;

    // Whether text, failing at nowMs, goes into a box: the first time, and again once the
    // last box that showed it is a minute old.
    bool shouldShow(const std::string& text, std::int64_t nowMs) {
        auto [it, first] = shownAt_.try_emplace(text, nowMs);
        if (!first && nowMs - it->second < kQuietMs) return false;
        it->second = nowMs;
        return true;
    }

private:
    std::map<std::string, std::int64_t> shownAt_;  // text -> when it was last shown
};

}  // namespace boardcast
