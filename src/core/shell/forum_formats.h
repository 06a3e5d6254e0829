#pragma once
// The format each forum was last written to in, by host: kept with the forum in Your Forums
// when one of the listed forums is on the page's host, else in the settings (section
// "formats", the host as key). So the chooser can follow the browser from forum to forum.

#include <string>
#include <string_view>

#include "core/forums/forum_accounts.h"
#include "core/result.h"
#include "core/storage/settings_store.h"

namespace boardcast {

inline constexpr std::string_view kFormatsSection = "formats";

// The format last used on the page's host; empty when none is kept, or the page has no host.
std::string rememberedFormat(const ForumAccounts& forums, const SettingsStore& settings,
                             std::string_view pageAddress);

// Keeps format for the page's host. True when it went with a listed forum, whose list must
// then be stored; false when it went into the settings, or the page has no host.
Result<bool> rememberFormat(ForumAccounts& forums, SettingsStore& settings,
                            std::string_view pageAddress, std::string_view format);

// What the status bar says when the chooser follows the browser: "ubb, as last used on
// forum.example".
std::string followedFormatText(std::string_view format, std::string_view pageAddress);

}  // namespace boardcast
