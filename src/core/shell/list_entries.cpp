#include "core/shell/list_entries.h"

#include "core/text/address_text.h"
#include "core/watching/parallel_check.h"

namespace boardcast {

void PostMarks::noteOutcome(const std::string& address, const MeasureFailure* failure) {
    if (failure) {
        failures_.insert_or_assign(address, *failure);
    } else {
        failures_.erase(address);
    }
}

void PostMarks::noteFallBack(const std::string& address, bool fellBack) {
    if (fellBack) {
        fellBack_.insert(address);
    } else {
        fellBack_.erase(address);
    }
}

const MeasureFailure* PostMarks::failureOf(const std::string& address) const {
    const auto it = failures_.find(address);
    return it == failures_.end() ? nullptr : &it->second;
}

ListEntry watchedPostEntry(const WatchList& posts, const std::string& address,
                           const PostMarks& marks, const TimeText& timeText) {
    const PostDetails& d = posts.detailsOf(address);
    ListEntry entry{shownName(posts, address), withHiddenPassword(address)};
    entry.tip += d.checkedAt > 0 ? "\nLast checked: " + timeText(d.checkedAt)
                                 : std::string("\nNot checked yet");
    if (d.grewAt > 0) entry.tip += "\nLast grew: " + timeText(d.grewAt);
    if (!d.latestPage.empty() && d.latestPage != address) {
        entry.tip += "\nLatest page: " + withHiddenPassword(d.latestPage);
    }
    if (marks.fellBack(address)) {
        entry.tip +=
            "\nThe latest page could not be fetched; the post's own page was checked instead.";
    }
    if (const MeasureFailure* failure = marks.failureOf(address)) {
        entry.marked = true;
        entry.tip += (failure->notTheThread() ? "\nNot the thread: " : "\nCould not be fetched: ") +
                     failure->reason;
    }
    return entry;
}

ListEntry newRepliesListEntry(const ThreadWithNews& thread, const PostDetails& details,
                              const TimeText& timeText) {
    ListEntry entry{newRepliesEntry(thread), newRepliesTip(thread, hostKey(thread.address))};
    if (details.grewAt > 0) entry.tip += "\nFound: " + timeText(details.grewAt);
    return entry;
}

ListEntry forumEntry(const ForumAccounts& forums, const Forum& forum) {
    const std::string& name = forums.nameOf(forum.address);
    const std::string shown = withHiddenPassword(forum.address);
    return {name.empty() ? shown : name, shown};
}

std::string editedForumName(const std::string& address, std::string_view edited) {
    if (edited == address || edited == withHiddenPassword(address)) return {};
    return std::string(edited);
}

}  // namespace boardcast
