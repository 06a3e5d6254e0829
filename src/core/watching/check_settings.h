#pragma once
// How the desktop program runs its reply check, as the user sets it in the window's
// options: pages fetched at once, at most from one host, and a check on a timer.

#include "core/result.h"
#include "core/storage/settings_store.h"
#include "core/watching/parallel_check.h"

namespace boardcast {

inline constexpr int kMaxCheckJobs = 16;
inline constexpr int kMinCheckMinutes = 15;
inline constexpr int kMaxCheckMinutes = 24 * 60;

struct CheckSettings {
    int jobs = kDefaultJobs;        // 1 to kMaxCheckJobs
    int perHost = kDefaultPerHost;  // 1 to kMaxCheckJobs
    int everyMinutes = 0;           // 0: only when asked; else kMinCheckMinutes to kMaxCheckMinutes
    bool asLoggedInUser = true;     // with the browser's cookies; off: as a guest

    bool operator==(const CheckSettings&) const = default;
};

// The settings brought into range: jobs and perHost to 1..16, a timer of 1 to 14 minutes
// to 15, and none below 1.
CheckSettings withinRange(CheckSettings settings);

// The stored settings; a value that is no number falls back to its default, one out of
// range to the nearest allowed (a timer of 1 to 14 minutes runs every 15).
CheckSettings loadCheckSettings(const SettingsStore& store);

// Stores the values, brought into range first. Stops at the first failed write.
Status storeCheckSettings(SettingsStore& store, const CheckSettings& settings);

}  // namespace boardcast
