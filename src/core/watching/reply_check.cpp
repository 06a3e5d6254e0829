#include "core/watching/reply_check.h"

#include "core/watching/latest_page.h"

namespace boardcast {

bool hasNewReplies(std::int64_t bodyBytes, const std::string& baseline) {
    std::optional<std::int32_t> base = parseBaseline(baseline);
    // A post that was never measured (or whose size line is damaged) is always reported.
    if (!base) return true;
    // The baseline is 32-bit, so adding the threshold to it cannot overflow, while
    // subtracting it from a 64-bit count could.
    return bodyBytes > static_cast<std::int64_t>(*base) + kNewReplyThreshold;
}

CheckTarget checkTargetOf(const WatchList& posts, int index) {
    const WatchedPost& post = posts.at(index);
    const PostDetails& d = posts.detailsOf(post.address);
    if (d.latestPage.empty() || d.latestBytes < 0) return ownTargetOf(post);
    return {d.latestPage, std::to_string(d.latestBytes), d.latestNext, true};
}

CheckTarget ownTargetOf(const WatchedPost& post) {
    return {post.address, post.size, {}, false};
}

bool showsNewReplies(const MeasuredPage& page, const CheckTarget& target) {
    if (hasNewReplies(page.bodyBytes, target.baseline)) return true;
    return target.latest && !page.nextPage.empty() && page.nextPage != target.knownNext;
}

void noteFetchedPage(WatchList& posts, const std::string& address, const MeasuredPage& page,
                     const CheckTarget& target, std::int64_t now) {
    if (!posts.isWatched(address)) return;
    PostDetails& d = posts.details(address);
    const bool grownNow = showsNewReplies(page, target);
    // Grown again since the last fetch, or grown for the first time.
    const bool grownBefore = d.seenBytes >= 0 && hasNewReplies(d.seenBytes, target.baseline);
    if (grownNow && (!grownBefore || page.bodyBytes > d.seenBytes + kNewReplyThreshold)) {
        d.grewAt = now;
    }
    if (!page.title.empty() && (!target.latest || target.url == address || d.title.empty())) {
        d.title = page.title;
    }
    d.checkedAt = now;
    d.seenBytes = page.bodyBytes;
}

namespace {

std::string threadKeyOf(const PostDetails& d, const std::string& address) {
    if (!d.canonical.empty()) return threadKey(d.canonical);
    return threadKey(d.latestPage.empty() ? address : d.latestPage);
}

}  // namespace

int recordMeasurement(WatchList& posts, const std::string& address, const MeasuredPage& page,
                      bool addedNow, std::int64_t now) {
    int index = posts.indexOfWatched(address);
    if (index < 0) return -1;
    PostDetails measured = posts.detailsOf(address);
    if (!page.title.empty()) measured.title = page.title;
    measured.checkedAt = now;
    measured.canonical = page.canonical;
    if (!page.latestPage.empty()) {
        measured.latestPage = page.latestPage;
        measured.latestBytes = page.latestBytes;
        measured.latestNext = page.latestNext;
    }
    measured.seenBytes = measured.latestPage.empty() ? page.bodyBytes : measured.latestBytes;

    // Another entry of the same thread takes the measurement.
    const std::string key = threadKeyOf(measured, address);
    for (int i = 0; i < posts.count(); ++i) {
        const std::string& other = posts.at(i).address;
        if (other == address) continue;
        const PostDetails& d = posts.detailsOf(other);
        const bool sameLatest = !d.latestPage.empty() && d.latestPage == measured.latestPage;
        if (!sameLatest && (key.empty() || threadKeyOf(d, other) != key)) continue;
        PostDetails& taker = posts.details(other);
        const std::string title = taker.title;
        taker = measured;
        if (!title.empty()) taker.title = title;  // the name it is known by
        if (addedNow) {
            posts.removeAt(index);
            return posts.indexOfWatched(other);
        }
        break;
    }
    posts.setSizeOf(address, page.bodyBytes);
    posts.details(address) = measured;
    return posts.indexOfWatched(address);
}

std::string checkSummary(int newReplies, int failed) {
    std::string text = "finished - " + std::to_string(newReplies) + " new replies found";
    if (failed > 0) text += " (" + std::to_string(failed) + " could not be checked)";
    return text;
}

std::string lastFailureText(const std::vector<CheckFailure>& failures) {
    if (failures.empty()) return {};
    return "Could not reach " + failures.back().address + ": " + failures.back().reason;
}

}  // namespace boardcast
