#pragma once
// What the main window's lists show: each watched post, each thread with new replies and
// each forum as an entry's text, its tip and whether it carries the warning mark. The
// window only puts these on screen.

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>

#include "core/forums/forum_accounts.h"
#include "core/watching/measurement.h"
#include "core/watching/reply_notice.h"
#include "core/watching/watch_lists.h"

namespace boardcast {

struct ListEntry {
    std::string text;
    std::string tip;      // lines end with "\n"
    bool marked = false;  // shown with a warning mark
};

// A time in seconds since 1970, as the user's locale writes it.
using TimeText = std::function<std::string(std::int64_t seconds)>;

// What the last fetches told of each watched post, for its entry: why it could not be
// fetched or was not the thread, until it is fetched again; and whether its latest page was
// out of reach, so that its own page was checked instead.
class PostMarks {
public:
    void noteOutcome(const std::string& address, const MeasureFailure* failure);
    void noteFallBack(const std::string& address, bool fellBack);
    const MeasureFailure* failureOf(const std::string& address) const;
    bool fellBack(const std::string& address) const { return fellBack_.count(address) != 0; }

private:
    std::map<std::string, MeasureFailure> failures_;
    std::set<std::string> fellBack_;
};

// A watched post: its thread's title (its address until one is known); the tip names the
// address, the times and the latest page, and why it could not be fetched.
ListEntry watchedPostEntry(const WatchList& posts, const std::string& address,
                           const PostMarks& marks, const TimeText& timeText);

// A thread with new replies: who answered (or how much it grew); the tip names its forum,
// what each new post begins with, and when the news was found.
ListEntry newRepliesListEntry(const ThreadWithNews& thread, const PostDetails& details,
                              const TimeText& timeText);

// A forum: its name, else its address with the password hidden; the tip is the address.
ListEntry forumEntry(const ForumAccounts& forums, const Forum& forum);

// The name a forum keeps when the user edits its entry's text to edited (trimmed): none when
// emptied or set back to the address as shown.
std::string editedForumName(const std::string& address, std::string_view edited);

}  // namespace boardcast
