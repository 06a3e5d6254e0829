#pragma once
// Every settings key of the shell and the message editor, with its section and the default
// returned when it is absent. The forty template keys are built from the slot prefixes in
// link_templates.h.

#include <string_view>

#include "core/storage/settings_store.h"

namespace boardcast {

inline constexpr std::string_view kDataSection = "data";
inline constexpr std::string_view kSettingsSection = "Settings";

namespace keys {
inline constexpr SettingKey lastMessage{kDataSection, "lastMessage", ""};
inline constexpr SettingKey lastSubject{kDataSection, "lastSubject", "Type Subject Here"};
inline constexpr SettingKey lastConvert{kDataSection, "lastConvert", "0"};
inline constexpr SettingKey lastConvertName{kDataSection, "lastConvertName", ""};
inline constexpr SettingKey showHelp{kSettingsSection, "showHelp", "1"};
// The window's reply check: pages at once, at most from one host, and minutes between
// checks on a timer ("0": none).
inline constexpr SettingKey checkJobs{kSettingsSection, "checkJobs", "8"};
inline constexpr SettingKey checkPerHost{kSettingsSection, "checkPerHost", "6"};
inline constexpr SettingKey checkEveryMinutes{kSettingsSection, "checkEveryMinutes", "0"};
// "1": the check sends the browser's cookies for each forum ("0": it asks as a guest).
inline constexpr SettingKey checkAsLoggedIn{kSettingsSection, "checkAsLoggedIn", "1"};
// The embedded browser's User-Agent, which the headless commands' requests carry too.
inline constexpr SettingKey browserUserAgent{kSettingsSection, "browserUserAgent", ""};
// "1": the forums' passwords are kept in the desktop's keyring, not in posts2.txt.
inline constexpr SettingKey passwordsInKeyring{kSettingsSection, "passwordsInKeyring", "0"};
}  // namespace keys

}  // namespace boardcast
