#include "core/watching/watch_lists.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace boardcast {

namespace {

constexpr std::string_view kPostsFile = "posts.txt";
constexpr std::string_view kSizesFile = "sizes.txt";

// Every entry is followed by one empty line, so both files read back the same way.
constexpr std::string_view kEntryEnd = "\r\n\r\n";

// Empty lines separate the entries (a freshly created file is one such line); a line of a
// single space counts as empty too.
bool isEntryLine(const std::string& line) {
    return !line.empty() && line != " ";
}

std::vector<std::string> entriesOf(std::string_view bytes) {
    std::vector<std::string> entries;
    for (std::string& line : splitLines(bytes)) {
        if (isEntryLine(line)) entries.push_back(std::move(line));
    }
    return entries;
}

std::string fileBytes(const WatchList& list, std::string WatchedPost::*field) {
    std::string bytes;
    for (const WatchedPost& post : list.posts()) {
        bytes += post.*field;
        bytes += kEntryEnd;
    }
    return bytes;
}

}  // namespace

std::optional<std::int32_t> parseBaseline(std::string_view size) {
    std::int32_t value = 0;
    const char* end = size.data() + size.size();
    auto [ptr, ec] = std::from_chars(size.data(), end, value);
    if (ec != std::errc() || ptr != end) return std::nullopt;
    return value;
}

bool WatchList::isWatched(std::string_view address) const {
    return indexOfWatched(address) >= 0;
}

int WatchList::indexOfWatched(std::string_view address) const {
    for (size_t i = 0; i < posts_.size(); ++i) {
        if (posts_[i].address == address) return static_cast<int>(i);
    }
    return -1;
}

int WatchList::append(std::string address, std::string size) {
    if (count() >= kMaxListEntries) return -1;
    posts_.push_back({std::move(address), std::move(size)});
    return count() - 1;
}

void WatchList::removeAt(int index) {
    if (index < 0 || index >= count()) return;
    posts_.erase(posts_.begin() + index);
}

bool WatchList::setSizeOf(std::string_view address, std::int64_t bodyBytes) {
    // The list may have changed while the page was being measured, so the post is looked
    // up by its address now rather than by the position it had when the probe started.
    int index = indexOfWatched(address);
    if (index < 0) return false;
    // Baselines are 32-bit; a larger page is recorded at the largest baseline.
    std::int64_t clamped =
        std::clamp<std::int64_t>(bodyBytes, 0, std::numeric_limits<std::int32_t>::max());
    posts_[static_cast<size_t>(index)].size = std::to_string(clamped);
    return true;
}

Result<LoadedWatchList> loadWatchLists(const std::string& folder) {
    std::string postsPath = joinPath(folder, kPostsFile);
    // Both files as one change left them, also while another program rewrites them.
    auto files = readFilesTogether(folder, {std::string(kPostsFile), std::string(kSizesFile)});
    if (!files) return files.error();

    LoadedWatchList loaded;
    const std::vector<std::string> a = entriesOf(files.value()[0]);
    const std::vector<std::string> s = entriesOf(files.value()[1]);
    size_t kept = std::min(a.size(), static_cast<size_t>(kMaxListEntries));
    for (size_t i = 0; i < kept; ++i) {
        // Pairing is by position only; a post whose size line is missing was never measured.
        loaded.list.append(a[i], i < s.size() ? s[i] : std::string(kNotMeasured));
    }
    if (a.size() > kept) {
        size_t dropped = a.size() - kept;
        loaded.notices.push_back(
            postsPath + " holds " + std::to_string(a.size()) + " watched posts, more than the " +
            std::to_string(kMaxListEntries) + " the list can hold; the last " +
            std::to_string(dropped) + (dropped == 1 ? " was" : " were") + " not loaded.");
    }
    return loaded;
}

std::vector<Error> saveWatchLists(const std::string& folder, const WatchList& list) {
    // The two files change together, so that a crash can never shift the baselines.
    Status s = writeFilesTogether(
        folder, {{std::string(kPostsFile), fileBytes(list, &WatchedPost::address), {}},
                 {std::string(kSizesFile), fileBytes(list, &WatchedPost::size), {}}});
    if (!s) return {s.error()};
    return {};
}

}  // namespace boardcast
