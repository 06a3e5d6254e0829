#pragma once
// What the user is told of new replies: the entry of New Replies and its tip, the line that
// `check` prints, and the desktop notification. Threads judged by their posts name who
// answered; threads whose posts cannot be read say how much their page grew.

#include <string>
#include <vector>

#include "core/watching/reply_check.h"

namespace boardcast {

// A thread with new replies as the user knows it.
struct ThreadWithNews {
    std::string name;     // its title, else its address with any password hidden
    std::string address;  // the watched address (shown with any password hidden)
    ThreadNews news;
};

// "2 new: bob, carol" (each author once, in the order of their first new post), or
// "+2,771 bytes" for a thread judged by size.
std::string newsSummary(const ThreadNews& news);
// "Title (2 new: bob, carol)".
std::string newRepliesEntry(const ThreadWithNews& thread);
// The entry's tip: the forum's host, then each new post's author and first line (five at
// most, then "and N more").
inline constexpr size_t kTipPosts = 5;
std::string newRepliesTip(const ThreadWithNews& thread, const std::string& host);
// check's line: the address, a tab, the number of new posts by others (or "+N bytes"), a
// tab, their authors separated by ", ".
std::string checkLine(const ThreadWithNews& thread);

struct ReplyNotice {
    std::string summary;
    std::string body;
};

// At most this many threads are named; the rest are counted.
inline constexpr size_t kNoticeAddresses = 8;

// threads must not be empty. One thread: "bob replied in Title" with the first line of the
// first new post; more: "5 new posts in 3 threads" with each thread named. bodyMarkup: the
// notification service reads the body as markup, so "&", "<" and ">" are written as
// entities.
ReplyNotice replyNotice(const std::vector<ThreadWithNews>& threads, bool bodyMarkup);

}  // namespace boardcast
