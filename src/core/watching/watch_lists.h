#pragma once
// The watched posts: each post's address (lstPosts) paired with its baseline size
// (lstSizes), held as one list of pairs so the two can never fall out of step; what the
// program has learnt of each post's page, by address; and the three files that carry them
// between runs, posts.txt, sizes.txt and post-details.txt.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/result.h"
#include "core/storage/text_file.h"

namespace boardcast {

// The size entry of a post whose baseline was never measured. Stored in sizes.txt as it is,
// it survives a save and reload; not being a number, the reply check treats it as a post
// with new replies.
inline constexpr std::string_view kNotMeasured = "not measured";

// A baseline as a number: the whole text must be the decimal form of a signed 32-bit
// integer ("0", "1234", "-5"). Anything else, "not measured" included, gives nullopt.
std::optional<std::int32_t> parseBaseline(std::string_view size);

struct WatchedPost {
    std::string address;  // exactly as the browser reported it
    std::string size;     // baseline as stored: decimal text, or kNotMeasured

    bool operator==(const WatchedPost&) const = default;
};

// What the program has learnt of a watched post's page, kept in post-details.txt by
// address: older lists have no such file, so every field may be missing.
struct PostDetails {
    std::string title;            // the page's <title> when last fetched
    std::int64_t checkedAt = 0;   // when last fetched, in seconds since 1970 (UTC); 0: never
    std::int64_t grewAt = 0;      // when a check last found it grown past its baseline
    std::int64_t seenBytes = -1;  // its size when last fetched; -1: not known
    // The thread's latest page when the post was last measured, with its size (the
    // baseline the check compares with) and the next page it already named (only when
    // the following stopped short); and the page's canonical address. Empty latestPage:
    // not known, and the check fetches the post's own address.
    std::string latestPage;
    std::int64_t latestBytes = -1;
    std::string latestNext;
    std::string canonical;
    // The newest post of the thread seen when it was last measured (its id and author),
    // and how many posts its latest page held then (-1: not known). Empty id: the posts
    // could not be read, and the check judges the thread by size.
    std::string seenPostId;
    std::string seenPostAuthor;
    int latestPostCount = -1;

    bool operator==(const PostDetails&) const = default;
};

// How the post at address is shown: its thread's title, else its address with any password
// in it hidden.
class WatchList;
std::string shownName(const WatchList& posts, const std::string& address);

// Whether two author names are one person's: ASCII letter case ignored.
bool sameName(std::string_view a, std::string_view b);

// Seconds since 1970 (UTC), for the times above.
std::int64_t secondsNow();

class WatchList {
public:
    int count() const { return static_cast<int>(posts_.size()); }
    const WatchedPost& at(int index) const { return posts_.at(static_cast<size_t>(index)); }
    const std::vector<WatchedPost>& posts() const { return posts_; }

    // Exact, case-sensitive comparison of whole addresses; the first match wins. Looked up
    // in an index, so that a check of thousands of posts does not scan the list per answer.
    bool isWatched(std::string_view address) const;
    int indexOfWatched(std::string_view address) const;  // -1 when not watched

    // The details of the post with this address: empty ones when nothing is known.
    const PostDetails& detailsOf(const std::string& address) const;
    PostDetails& details(const std::string& address) { return details_[address]; }

    // Appends a post whose size reads "not measured". Returns its index, or -1 when the list
    // already holds kMaxListEntries posts.
    int append(std::string address, std::string size = std::string(kNotMeasured));

    // Removes the post at index together with its size; an index out of range does nothing.
    void removeAt(int index);

    // Records a measured size for the post with this address (the first entry equal to it),
    // wherever it now stands. Returns false, recording nothing, when no such post exists.
    bool setSizeOf(std::string_view address, std::int64_t bodyBytes);

    // The names the user posts under on a forum, by its host (lower case), as post
    // detection learnt them; kept in own-names.txt.
    const std::vector<std::string>& ownNamesOn(const std::string& host) const;
    // Adds the name for the host (once; letter case ignored); false when it was known.
    bool learnOwnName(const std::string& host, const std::string& name);
    const std::unordered_map<std::string, std::vector<std::string>>& ownNames() const {
        return ownNames_;
    }

    void clear();

private:
    std::unordered_map<std::string, std::vector<std::string>> ownNames_;
    std::vector<WatchedPost> posts_;
    std::unordered_map<std::string, PostDetails> details_;
    // address -> its first place in posts_; rebuilt after a removal shifted the places.
    mutable std::unordered_map<std::string, int> firstIndex_;
    mutable bool indexStale_ = false;
};

struct LoadedWatchList {
    WatchList list;
    // Readable notices about what was not loaded as it stood (more than kMaxListEntries
    // posts); empty when everything loaded.
    std::vector<std::string> notices;
};

// Reads posts.txt and sizes.txt of the folder, and post-details.txt when it exists. Lines
// that are empty or a single space are skipped. Every post gets exactly one size: missing
// size lines read as "not measured", extra ones are dropped. A details line is the address
// and the fields of PostDetails, tab-separated and escaped as escapedField does; unreadable
// fields read as unknown. Fails (and nothing should then be saved over the files) when a
// file that exists cannot be read.
Result<LoadedWatchList> loadWatchLists(const std::string& folder);

// Writes posts.txt, sizes.txt, post-details.txt and own-names.txt together (all or none, also
// across a crash): in the first two each entry followed by CR LF CR LF, in the details one line of
// each watched address; an empty list gives empty files. Returns the error when
// they could not be written (empty when they were).
std::vector<Error> saveWatchLists(const std::string& folder, const WatchList& list);

}  // namespace boardcast
