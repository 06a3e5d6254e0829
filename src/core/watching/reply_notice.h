#pragma once
// The desktop notification that "check --notify" shows: a summary line and a body naming the
// posts with new replies.

#include <string>
#include <vector>

namespace boardcast {

struct ReplyNotice {
    std::string summary;
    std::string body;
};

// At most this many addresses are named; the rest are counted.
inline constexpr size_t kNoticeAddresses = 8;

// posts must not be empty. bodyMarkup: the notification service reads the body as markup,
// so "&", "<" and ">" in addresses are written as entities.
ReplyNotice replyNotice(const std::vector<std::string>& posts, bool bodyMarkup);

}  // namespace boardcast
