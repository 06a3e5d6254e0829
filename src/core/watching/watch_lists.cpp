#include "core/watching/watch_lists.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <limits>
#include <unordered_set>

#include "core/text/address_text.h"
#include "core/text/ascii.h"

namespace boardcast {

namespace {

constexpr std::string_view kPostsFile = "posts.txt";
constexpr std::string_view kSizesFile = "sizes.txt";
constexpr std::string_view kDetailsFile = "post-details.txt";
constexpr std::string_view kOwnNamesFile = "own-names.txt";

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

std::int64_t parseTime(std::string_view text, std::int64_t unknown) {
    std::int64_t value = 0;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && ptr == text.data() + text.size() ? value : unknown;
}

// One line of post-details.txt: address, title, checkedAt, grewAt, seenBytes, latestPage,
// latestBytes, latestNext, canonical, seenPostId, seenPostAuthor, latestPostCount. Columns a
// later version adds are skipped.
void readDetailsLine(const std::string& line, std::unordered_map<std::string, PostDetails>& out) {
    std::vector<std::string> fields;
    size_t from = 0;
    while (true) {
        const size_t tab = line.find('\t', from);
        fields.push_back(unescapedField(std::string_view(line).substr(from, tab - from)));
        if (tab == std::string::npos) break;
        from = tab + 1;
    }
    if (fields.size() < 2 || fields[0].empty()) return;
    auto field = [&fields](size_t i) { return i < fields.size() ? fields[i] : std::string(); };
    out[fields[0]] = {fields[1],
                      parseTime(field(2), 0),
                      parseTime(field(3), 0),
                      parseTime(field(4), -1),
                      field(5),
                      parseTime(field(6), -1),
                      field(7),
                      field(8),
                      field(9),
                      field(10),
                      static_cast<int>(parseTime(field(11), -1))};
}

std::string detailsBytes(const WatchList& list) {
    std::string bytes;
    std::unordered_set<std::string_view> written;
    for (const WatchedPost& post : list.posts()) {
        if (!written.insert(post.address).second) continue;
        const PostDetails& d = list.detailsOf(post.address);
        if (d == PostDetails{}) continue;
        bytes += escapedField(post.address) + '\t' + escapedField(d.title) + '\t' +
                 std::to_string(d.checkedAt) + '\t' + std::to_string(d.grewAt) + '\t' +
                 std::to_string(d.seenBytes) + '\t' + escapedField(d.latestPage) + '\t' +
                 std::to_string(d.latestBytes) + '\t' + escapedField(d.latestNext) + '\t' +
                 escapedField(d.canonical) + '\t' + escapedField(d.seenPostId) + '\t' +
                 escapedField(d.seenPostAuthor) + '\t' + std::to_string(d.latestPostCount);
        bytes += kCrLf;
    }
    return bytes;
}

// own-names.txt: one line a name, the host and the name tab-separated, hosts in order.
std::string ownNamesBytes(const WatchList& list) {
    std::vector<std::string> lines;
    for (const auto& [host, names] : list.ownNames()) {
        for (const std::string& name : names)
            lines.push_back(escapedField(host) + '\t' + escapedField(name));
    }
    std::sort(lines.begin(), lines.end());
    std::string bytes;
    for (const std::string& line : lines) bytes += line + std::string(kCrLf);
    return bytes;
}

}  // namespace

std::string shownName(const WatchList& posts, const std::string& address) {
    const std::string& title = posts.detailsOf(address).title;
    return title.empty() ? withHiddenPassword(address) : title;
}

bool sameName(std::string_view a, std::string_view b) {
    return equalsIgnoringCase(a, b);
}

std::int64_t secondsNow() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

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
    if (indexStale_) {
        firstIndex_.clear();
        for (size_t i = 0; i < posts_.size(); ++i)
            firstIndex_.try_emplace(posts_[i].address, static_cast<int>(i));
        indexStale_ = false;
    }
    const auto it = firstIndex_.find(std::string(address));
    return it == firstIndex_.end() ? -1 : it->second;
}

const PostDetails& WatchList::detailsOf(const std::string& address) const {
    static const PostDetails kNone;
    const auto it = details_.find(address);
    return it == details_.end() ? kNone : it->second;
}

int WatchList::append(std::string address, std::string size) {
    if (count() >= kMaxListEntries) return -1;
    if (!indexStale_) firstIndex_.try_emplace(address, count());
    posts_.push_back({std::move(address), std::move(size)});
    return count() - 1;
}

void WatchList::removeAt(int index) {
    if (index < 0 || index >= count()) return;
    posts_.erase(posts_.begin() + index);
    indexStale_ = true;
}

void WatchList::clear() {
    posts_.clear();
    details_.clear();
    ownNames_.clear();
    firstIndex_.clear();
    indexStale_ = false;
}

const std::vector<std::string>& WatchList::ownNamesOn(const std::string& host) const {
    static const std::vector<std::string> kNone;
    const auto it = ownNames_.find(host);
    return it == ownNames_.end() ? kNone : it->second;
}

bool WatchList::learnOwnName(const std::string& host, const std::string& name) {
    if (host.empty() || name.empty()) return false;
    std::vector<std::string>& names = ownNames_[host];
    for (const std::string& known : names) {
        if (sameName(known, name)) return false;
    }
    names.push_back(name);
    return true;
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
    auto files = readFilesTogether(folder,
                                   {std::string(kPostsFile), std::string(kSizesFile),
                                    std::string(kDetailsFile), std::string(kOwnNamesFile)},
                                   kMaxDataFileBytes,
                                   {std::string(kDetailsFile), std::string(kOwnNamesFile)});
    if (!files) return files.error();

    LoadedWatchList loaded;
    const std::vector<std::string> a = entriesOf(files.value()[0]);
    const std::vector<std::string> s = entriesOf(files.value()[1]);
    size_t kept = std::min(a.size(), static_cast<size_t>(kMaxListEntries));
    for (size_t i = 0; i < kept; ++i) {
        // Pairing is by position only; a post whose size line is missing was never measured.
        loaded.list.append(a[i], i < s.size() ? s[i] : std::string(kNotMeasured));
    }
    std::unordered_map<std::string, PostDetails> details;
    for (const std::string& line : splitLines(files.value()[2])) readDetailsLine(line, details);
    for (auto& [address, d] : details) {
        if (loaded.list.isWatched(address)) loaded.list.details(address) = std::move(d);
    }
    for (const std::string& line : splitLines(files.value()[3])) {
        const size_t tab = line.find('\t');
        if (tab == std::string::npos) continue;
        loaded.list.learnOwnName(unescapedField(std::string_view(line).substr(0, tab)),
                                 unescapedField(std::string_view(line).substr(tab + 1)));
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
                 {std::string(kSizesFile), fileBytes(list, &WatchedPost::size), {}},
                 {std::string(kDetailsFile), detailsBytes(list), {}},
                 {std::string(kOwnNamesFile), ownNamesBytes(list), {}}});
    if (!s) return {s.error()};
    return {};
}

}  // namespace boardcast
