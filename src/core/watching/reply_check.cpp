#include "core/watching/reply_check.h"

#include <algorithm>
#include <unordered_set>

#include "core/text/ascii.h"
#include "core/watching/latest_page.h"
#include "core/watching/parallel_check.h"

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
    CheckTarget target =
        d.latestPage.empty() || d.latestBytes < 0
            ? ownTargetOf(post)
            : CheckTarget{d.latestPage, std::to_string(d.latestBytes), d.latestNext, true, {}, {}};
    target.seenPostId = d.seenPostId;
    target.ownNames = posts.ownNamesOn(hostKey(post.address));
    return target;
}

CheckTarget ownTargetOf(const WatchedPost& post) {
    return {post.address, post.size, {}, false, {}, {}};
}

namespace {

// Post numbers that fit a 64-bit integer.
bool isNumber(std::string_view id) {
    return id.size() < 19 && isAsciiDigits(id);
}

// Post numbers compared as numbers (no leading zeros are assumed away).
bool numberAfter(std::string_view id, std::string_view seen) {
    return std::stoll(std::string(id)) > std::stoll(std::string(seen));
}

}  // namespace

ForumPost newestPost(const std::vector<ForumPost>& posts) {
    if (posts.empty()) return {};
    const bool numbers =
        std::all_of(posts.begin(), posts.end(), [](const ForumPost& p) { return isNumber(p.id); });
    if (!numbers) return posts.back();
    return *std::max_element(
        posts.begin(), posts.end(),
        [](const ForumPost& a, const ForumPost& b) { return numberAfter(b.id, a.id); });
}

std::vector<std::string> authorsOf(const std::vector<ForumPost>& posts) {
    std::vector<std::string> authors;
    for (const ForumPost& p : posts) {
        const bool known = std::any_of(authors.begin(), authors.end(),
                                       [&](const std::string& a) { return sameName(a, p.author); });
        if (!known) authors.push_back(p.author);
    }
    return authors;
}

ThreadNews threadNews(const MeasuredPage& page, const CheckTarget& target) {
    ThreadNews news;
    news.newest = newestPost(page.posts);
    if (page.postsRead && !target.seenPostId.empty()) {
        // The posts after the newest seen: by number where ids are numbers, else by place.
        std::vector<const ForumPost*> later;
        const bool numbers = isNumber(target.seenPostId) &&
                             std::all_of(page.posts.begin(), page.posts.end(),
                                         [](const ForumPost& p) { return isNumber(p.id); });
        if (numbers) {
            for (const ForumPost& p : page.posts) {
                if (numberAfter(p.id, target.seenPostId)) later.push_back(&p);
            }
            news.byPosts = true;
        } else {
            const auto seen =
                std::find_if(page.posts.rbegin(), page.posts.rend(),
                             [&](const ForumPost& p) { return p.id == target.seenPostId; });
            if (seen != page.posts.rend()) {
                for (auto it = seen.base(); it != page.posts.end(); ++it) later.push_back(&*it);
                news.byPosts = true;
            }
        }
        std::unordered_set<std::string> ids;  // a post shown on two pages counts once
        for (const ForumPost* p : later) {
            const bool own =
                std::any_of(target.ownNames.begin(), target.ownNames.end(),
                            [&](const std::string& n) { return sameName(n, p->author); });
            if (!own && ids.insert(p->id).second) news.posts.push_back(*p);
        }
        // A new page that was not followed may hold the replies: the size rule says so.
        const bool unfollowedNewPage = news.posts.empty() && page.latestPage.empty() &&
                                       target.latest && !page.nextPage.empty() &&
                                       page.nextPage != target.knownNext;
        if (news.byPosts && !unfollowedNewPage) return news;
        news = ThreadNews{};
        news.newest = newestPost(page.posts);
    }
    news.grown = showsNewReplies(page, target);
    if (const auto base = parseBaseline(target.baseline)) news.grownBytes = page.bodyBytes - *base;
    return news;
}

bool showsNewReplies(const MeasuredPage& page, const CheckTarget& target) {
    if (hasNewReplies(page.bodyBytes, target.baseline)) return true;
    return target.latest && !page.nextPage.empty() && page.nextPage != target.knownNext;
}

void noteFetchedPage(WatchList& posts, const std::string& address, const MeasuredPage& page,
                     const CheckTarget& target, std::int64_t now) {
    if (!posts.isWatched(address)) return;
    PostDetails& d = posts.details(address);
    const ThreadNews news = threadNews(page, target);
    if (news.byPosts) {
        // New posts found where the last fetch found none, or the page changed since.
        if (news.any() && (d.grewAt == 0 || d.seenBytes != page.bodyBytes)) d.grewAt = now;
    } else {
        // Grown again since the last fetch, or grown for the first time.
        const bool grownBefore = d.seenBytes >= 0 && hasNewReplies(d.seenBytes, target.baseline);
        if (news.grown && (!grownBefore || page.bodyBytes > d.seenBytes + kNewReplyThreshold)) {
            d.grewAt = now;
        }
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
    // The posts seen now; a page whose posts cannot be read leaves the check to the size.
    const ForumPost newest = newestPost(page.posts);
    measured.seenPostId = page.postsRead ? newest.id : std::string();
    measured.seenPostAuthor = page.postsRead ? newest.author : std::string();
    measured.latestPostCount = page.postsRead ? page.latestPostCount : -1;

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

void markSeen(WatchList& posts, const std::string& address, const ForumPost& newest) {
    if (!posts.isWatched(address) || newest.id.empty()) return;
    PostDetails& d = posts.details(address);
    const bool numbers = isNumber(newest.id) && isNumber(d.seenPostId);
    if (numbers && !numberAfter(newest.id, d.seenPostId)) return;  // never moves back
    d.seenPostId = newest.id;
    d.seenPostAuthor = newest.author;
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
