#include "core/shell/forum_formats.h"

#include "core/watching/parallel_check.h"

namespace boardcast {

namespace {

// Pages without a host (files, blank pages) keep no format.
std::string pageHost(std::string_view address) {
    if (address.find("://") == std::string_view::npos) return {};
    return hostKey(std::string(address));
}

// The first listed forum on host, or -1.
int forumOnHost(const ForumAccounts& forums, const std::string& host) {
    for (int i = 0; i < forums.count(); ++i) {
        if (pageHost(forums.at(i).address) == host) return i;
    }
    return -1;
}

}  // namespace

std::string rememberedFormat(const ForumAccounts& forums, const SettingsStore& settings,
                             std::string_view pageAddress) {
    const std::string host = pageHost(pageAddress);
    if (host.empty()) return {};
    const int forum = forumOnHost(forums, host);
    if (forum >= 0 && !forums.formatOf(forums.at(forum).address).empty()) {
        return forums.formatOf(forums.at(forum).address);
    }
    return settings.read(kFormatsSection, host, "");
}

Result<bool> rememberFormat(ForumAccounts& forums, SettingsStore& settings,
                            std::string_view pageAddress, std::string_view format) {
    const std::string host = pageHost(pageAddress);
    if (host.empty()) return false;
    if (const int forum = forumOnHost(forums, host); forum >= 0) {
        const std::string& address = forums.at(forum).address;
        if (forums.formatOf(address) == format) return false;
        forums.setFormat(address, std::string(format));
        return true;
    }
    if (settings.read(kFormatsSection, host, "") == format) return false;
    if (Status s = settings.write(kFormatsSection, host, format); !s) return s.error();
    return false;
}

std::string followedFormatText(std::string_view format, std::string_view pageAddress) {
    return std::string(format) + ", as last used on " + pageHost(pageAddress);
}

}  // namespace boardcast
