#include "core/watching/check_settings.h"

#include <algorithm>
#include <charconv>
#include <string>

#include "core/storage/settings_keys.h"

namespace boardcast {

namespace {

int storedNumber(const SettingsStore& store, const SettingKey& key, int fallback) {
    const std::string text = readSetting(store, key);
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && !text.empty() ? value
                                                                                  : fallback;
}

}  // namespace

CheckSettings withinRange(CheckSettings s) {
    s.jobs = std::clamp(s.jobs, 1, kMaxCheckJobs);
    s.perHost = std::clamp(s.perHost, 1, kMaxCheckJobs);
    s.everyMinutes =
        s.everyMinutes <= 0 ? 0 : std::clamp(s.everyMinutes, kMinCheckMinutes, kMaxCheckMinutes);
    return s;
}

CheckSettings loadCheckSettings(const SettingsStore& store) {
    const CheckSettings defaults;
    return withinRange({storedNumber(store, keys::checkJobs, defaults.jobs),
                        storedNumber(store, keys::checkPerHost, defaults.perHost),
                        storedNumber(store, keys::checkEveryMinutes, defaults.everyMinutes),
                        readSetting(store, keys::checkAsLoggedIn) != "0"});
}

Status storeCheckSettings(SettingsStore& store, const CheckSettings& settings) {
    const CheckSettings s = withinRange(settings);
    if (Status st = writeSetting(store, keys::checkJobs, std::to_string(s.jobs)); !st) return st;
    if (Status st = writeSetting(store, keys::checkPerHost, std::to_string(s.perHost)); !st)
        return st;
    if (Status st = writeSetting(store, keys::checkEveryMinutes, std::to_string(s.everyMinutes));
        !st)
        return st;
    return writeSetting(store, keys::checkAsLoggedIn, s.asLoggedInUser ? "1" : "0");
}

}  // namespace boardcast
