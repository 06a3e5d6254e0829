#pragma once
// The watched posts: each post's address (lstPosts) paired with its baseline size
// (lstSizes), held as one list of pairs so the two can never fall out of step, and the two
// files that carry them between runs, posts.txt and sizes.txt.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
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

class WatchList {
public:
    int count() const { return static_cast<int>(posts_.size()); }
    const WatchedPost& at(int index) const { return posts_.at(static_cast<size_t>(index)); }
    const std::vector<WatchedPost>& posts() const { return posts_; }

    // Exact, case-sensitive comparison of whole addresses; the first match wins.
    bool isWatched(std::string_view address) const;
    int indexOfWatched(std::string_view address) const;  // -1 when not watched

    // Appends a post whose size reads "not measured". Returns its index, or -1 when the list
    // already holds kMaxListEntries posts.
    int append(std::string address, std::string size = std::string(kNotMeasured));

    // Removes the post at index together with its size; an index out of range does nothing.
    void removeAt(int index);

    // Records a measured size for the post with this address (the first entry equal to it),
    // wherever it now stands. Returns false, recording nothing, when no such post exists.
    bool setSizeOf(std::string_view address, std::int64_t bodyBytes);

    void clear() { posts_.clear(); }

private:
    std::vector<WatchedPost> posts_;
};

struct LoadedWatchList {
    WatchList list;
    // Readable notices about what was not loaded as it stood (more than kMaxListEntries
    // posts); empty when everything loaded.
    std::vector<std::string> notices;
};

// Reads posts.txt and sizes.txt of the folder. Lines that are empty or a single space are
// skipped. Every post gets exactly one size: missing size lines read as "not measured",
// extra ones are dropped. Fails (and nothing should then be saved over the files) when
// either file cannot be read.
Result<LoadedWatchList> loadWatchLists(const std::string& folder);

// Writes posts.txt and sizes.txt together (both or neither, also across a crash): each
// entry followed by CR LF CR LF; an empty list gives empty files. Returns the error when
// they could not be written (empty when they were).
std::vector<Error> saveWatchLists(const std::string& folder, const WatchList& list);

}  // namespace boardcast
