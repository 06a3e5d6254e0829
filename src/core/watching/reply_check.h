#pragma once
// What a reply check judges and says: new replies (more than 500 bytes of growth over the
// baseline), the posts that could not be fetched, and the texts of the end of a run. The
// check itself is ParallelCheck.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/watching/measurement.h"
#include "core/watching/watch_lists.h"

namespace boardcast {

inline constexpr std::int64_t kNewReplyThreshold = 500;

// Whether a fresh body byte count means new replies against the stored baseline text: more
// than 500 bytes of growth, or a baseline that is not a number.
bool hasNewReplies(std::int64_t bodyBytes, const std::string& baseline);

// What a check fetches for a watched post and what it compares with: the thread's latest
// page and that page's size when they are known, else the post's own address and baseline.
struct CheckTarget {
    std::string url;
    std::string baseline;               // as stored: decimal text, or not a number (always new)
    std::string knownNext;              // a next page the latest page named already when measured
    bool latest = false;                // url is the thread's latest page
    std::string seenPostId;             // the newest post seen; empty: judged by size
    std::vector<std::string> ownNames;  // the names the user posts under on its forum
};
CheckTarget checkTargetOf(const WatchList& posts, int index);
// The post's own address and baseline: what is fetched when the latest page cannot be.
CheckTarget ownTargetOf(const WatchedPost& post);

// New replies on a fetched target: more than 500 bytes of growth over its baseline (or a
// baseline that is not a number), or a latest page that now names a next page: the
// thread went on to a new page.
bool showsNewReplies(const MeasuredPage& page, const CheckTarget& target);

// What a check found in a thread: the posts after the newest one seen whose author is not
// the user, where the thread's posts can be read; else, by size, more than 500 bytes of
// growth (or a new page).
struct ThreadNews {
    bool byPosts = false;
    std::vector<ForumPost> posts;  // new posts by others, in thread order
    bool grown = false;            // by size: new replies
    std::int64_t grownBytes = 0;   // by size: the growth over the baseline
    ForumPost newest;              // the newest post read, which opening the thread marks seen
    bool any() const { return byPosts ? !posts.empty() : grown; }
};
ThreadNews threadNews(const MeasuredPage& page, const CheckTarget& target);

// The newest of a thread's posts: the highest number where the ids are numbers, else the
// last. Empty when there are none.
ForumPost newestPost(const std::vector<ForumPost>& posts);

// The authors of the posts, each named once, in the order of their first post.
std::vector<std::string> authorsOf(const std::vector<ForumPost>& posts);

// Records what a check's fetch of a watched post learnt in its details: the time, the
// size, the title (from the post's own page, or when none is known: a later page's title
// names its page number), and, when the page shows new replies that it did not show at the
// last fetch, the time of that growth.
void noteFetchedPage(WatchList& posts, const std::string& address, const MeasuredPage& page,
                     const CheckTarget& target, std::int64_t now);

// Records a measurement of a watched post (Watch This Post, watch): the size of its page
// becomes the post's baseline, its newest post the newest seen, the thread's latest page and its
// size the baseline of the check, and its title and time go into its details. When another entry
// follows the same thread (the same latest page, or the same threadKey of its canonical or latest
// page), a thread is watched once: that entry takes the thread's measurement, and the entry of this
// address goes when it was added for this measurement (addedNow). Returns the index of the entry
// that took it, or -1 when the address is no longer watched.
int recordMeasurement(WatchList& posts, const std::string& address, const MeasuredPage& page,
                      bool addedNow, std::int64_t now);

// A post whose page could not be fetched or was not the thread, and why.
struct CheckFailure {
    std::string address;
    std::string reason;
    FailureKind kind = FailureKind::Unreachable;
};

// Panel 1 at the end of a run: "finished - N new replies found", and how many posts could
// not be checked when some could not.
std::string checkSummary(int newReplies, int failed);

// Panel 2 at the end of a run: the last failure's text, or nothing.
std::string lastFailureText(const std::vector<CheckFailure>& failures);

// Told of each post a check or a measurement has dealt with: failure is null when the page
// was fetched, else why it could not be, or why it was not the thread.
using PostOutcome = std::function<void(const std::string& address, const MeasureFailure* failure)>;
// Told of each page a check fetched, which, and what it found there.
using FetchedPage = std::function<void(const std::string& address, const MeasuredPage& page,
                                       const CheckTarget& target, const ThreadNews& news)>;

// The thread's newest post is seen now: a check no longer reports it or the posts before it
// (the user opened the thread from the new replies).
void markSeen(WatchList& posts, const std::string& address, const ForumPost& newest);

}  // namespace boardcast
