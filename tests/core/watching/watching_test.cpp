#include <gtest/gtest.h>

#include <limits>
#include <map>
#include <optional>

#include "core/watching/parallel_check.h"
#include "core/watching/post_watcher.h"
#include "core/watching/reply_check.h"

namespace boardcast {
namespace {

using Posts = std::vector<WatchedPost>;
using Strings = std::vector<std::string>;
constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
const std::string kNm(kNotMeasured);

struct FakeProbe : PageMeasurer {
    void setClient(MeasurementClient* c) override { client = c; }
    void startMeasuring(const std::string& url) override { started.push_back(url); }
    void stopMeasuring() override { ++stopped; }
    MeasurementClient* client = nullptr;
    Strings started;
    int stopped = 0;
};

struct FakePanels : StatusPanels {
    void setPanelText(int panel, const std::string& text) override { texts[panel].push_back(text); }
    std::map<int, Strings> texts;
};

WatchList listOf(const Posts& posts) {
    WatchList list;
    for (const WatchedPost& p : posts) list.append(p.address, p.size);
    return list;
}

// Each fetch refreshes the title and the check time; the growth time moves when the page
// shows new replies it did not show at the last fetch, or has grown again since.
TEST(ReplyCheck, AFetchKeepsTitleAndTimes) {
    struct Row {
        std::string baseline;
        std::int64_t seenBefore, bytes;
        std::string title;
        bool grew;
    };
    const Row rows[] = {
        {"1000", -1, 1400, "T", false},    // not grown past the baseline
        {"1000", -1, 1501, "T", true},     // first growth
        {"1000", 1501, 1600, "T", false},  // grown before, little since
        {"1000", 1501, 2002, "T", true},   // grown again
        {"1000", 1200, 1501, "", true},    // a page without a title keeps the old one
        {kNm, -1, 10, "T", true},
    };
    for (const Row& r : rows) {
        WatchList list = listOf({{"p", r.baseline}});
        PostDetails& before = list.details("p");
        before.title = "Old";
        before.checkedAt = 1;
        before.grewAt = 2;
        before.seenBytes = r.seenBefore;
        noteFetchedPage(list, "p", {r.bytes, r.title}, ownTargetOf(list.at(0)), 99);
        const PostDetails& d = list.detailsOf("p");
        EXPECT_EQ(d.title, r.title.empty() ? "Old" : r.title);
        EXPECT_EQ(d.checkedAt, 99);
        EXPECT_EQ(d.grewAt, r.grew ? 99 : 2) << r.seenBefore << " " << r.bytes;
        EXPECT_EQ(d.seenBytes, r.bytes);
    }
}

// On the thread's latest page, a next page that was not there is news too; on the post's
// own page (which may be any page of the thread) only growth is.
TEST(ReplyCheck, ANewPageOfTheThreadIsNews) {
    struct Row {
        bool latest;
        std::string knownNext;
        std::int64_t bytes;
        std::string next;
        bool news;
    };
    const Row rows[] = {
        {true, "", 1400, "", false},
        {true, "", 1501, "", true},
        {true, "", 900, "http://h/t?page=4", true},  // the last post moved on to page 4
        {true, "http://h/t?page=51", 1000, "http://h/t?page=51", false},
        {false, "", 1000, "http://h/t?page=2", false},
    };
    for (const Row& r : rows) {
        MeasuredPage page(r.bytes);
        page.nextPage = r.next;
        EXPECT_EQ(
            showsNewReplies(page, {"http://h/t?page=3", "1000", r.knownNext, r.latest, {}, {}}),
            r.news)
            << r.bytes << " " << r.next;
    }
}

TEST(ReplyCheck, NewRepliesNeedMoreThan500BytesOrAnUnreadableBaseline) {
    struct Row {
        std::int64_t bytes;
        const char* baseline;
        bool expected;
    };
    const Row rows[] = {
        {1500, "1000", false},       {1501, "1000", true},
        {900, "1000", false},        {0, "", true},
        {0, "not measured", true},   {99999, "12x", true},
        {495, "-5", false},          {496, "-5", true},
        {kMax, "-2147483648", true}, {kMin, "2147483647", false},
        {kMax, "2147483647", true},
    };
    for (const Row& r : rows)
        EXPECT_EQ(hasNewReplies(r.bytes, r.baseline), r.expected)
            << r.bytes << " vs " << r.baseline;
}

// One fetch outcome per started post: a body byte count, or nullopt for a failed fetch.
// The check one page at a time, as the window and the command line run it with one job.
TEST(ReplyCheck, RunWalksEveryPostAndListsTheGrownOnes) {
    struct Row {
        Posts posts;
        std::vector<std::optional<std::int64_t>> outcomes;
        Strings expected;
    };
    const Row rows[] = {
        {{{"a", "1000"}, {"b", "1000"}, {"c", "1000"}}, {1200, 1600, 1000}, {"b"}},
        {{}, {}, {}},
        {{{"a", "1000"}, {"b", "1000"}, {"c", kNm}}, {std::nullopt, 5000, 0}, {"b", "c"}},
        {{{"a", "10"}, {"b", ""}}, {std::nullopt, std::nullopt}, {}},
    };
    for (const Row& r : rows) {
        const WatchList list = listOf(r.posts);
        FakeProbe probe;
        FakePanels panels;
        ParallelCheck check({&probe});
        check.setProgressCallback(
            [&](const CheckProgress& p) { panels.setPanelText(1, progressText(p)); });
        ASSERT_NE(probe.client, nullptr);
        int changes = 0;
        check.setChangedCallback([&] { ++changes; });
        check.start(list, {});
        for (const auto& outcome : r.outcomes) {
            ASSERT_TRUE(check.running());
            if (outcome) {
                probe.client->onMeasured({*outcome, {}});
            } else {
                probe.client->onMeasureFailed("Connection refused");
            }
        }
        EXPECT_FALSE(check.running());
        probe.client->onMeasured({9999, {}});  // nothing is awaited any more: both are ignored
        probe.client->onMeasureFailed("Connection reset");
        Strings addresses, panel1;
        for (const WatchedPost& p : r.posts) addresses.push_back(p.address);
        for (size_t i = 0; i < r.posts.size(); ++i)
            panel1.push_back("checking " + std::to_string(i + 1) + " of " +
                             std::to_string(r.posts.size()));
        int failed = 0;
        for (const auto& outcome : r.outcomes) failed += outcome ? 0 : 1;
        panel1.push_back(checkSummary(static_cast<int>(r.expected.size()), failed));
        EXPECT_EQ(check.newReplies(), r.expected);
        EXPECT_EQ(check.failures().size(), static_cast<size_t>(failed));
        EXPECT_EQ(probe.started, addresses);
        EXPECT_EQ(panels.texts[1], panel1);
        EXPECT_EQ(changes, 2 + static_cast<int>(r.expected.size()));  // start, each find, end
    }
}

TEST(ReplyCheck, SummaryCountsWhatCouldNotBeChecked) {
    EXPECT_EQ(checkSummary(0, 0), "finished - 0 new replies found");
    EXPECT_EQ(checkSummary(2, 0), "finished - 2 new replies found");
    EXPECT_EQ(checkSummary(1, 3), "finished - 1 new replies found (3 could not be checked)");
    EXPECT_EQ(lastFailureText({}), "");
    EXPECT_EQ(lastFailureText({{"a", "x"}, {"b", "refused"}}), "Could not reach b: refused");
}

// Each post dealt with is told, so that a window can mark the ones that failed.
TEST(ReplyCheck, OutcomesArePerPost) {
    const WatchList list = listOf({{"a", "1"}, {"b", "2"}});
    FakeProbe probe;
    FakePanels panels;
    ParallelCheck check({&probe});
    check.setProgressCallback(
        [&](const CheckProgress& p) { panels.setPanelText(1, progressText(p)); });
    Strings seen;
    check.setPostOutcomeCallback([&](const std::string& address, const MeasureFailure* failure) {
        seen.push_back(address + "=" + (failure ? failure->reason : ""));
    });
    check.start(list, {});
    probe.client->onMeasureFailed("refused");
    probe.client->onMeasured({2, {}});
    EXPECT_EQ(seen, (Strings{"a=refused", "b="}));
}

TEST(PostWatcher, AnAddressWithALineBreakIsRefused) {
    WatchList list;
    FakeProbe probe;
    FakePanels panels;
    PostWatcher watcher(list, probe, panels);
    for (const char* address : {"http://h/a\r\nHost: x", "http://h/\n", "\r"}) {
        EXPECT_EQ(watcher.watchCurrentPage(address), -1);
        EXPECT_EQ(PostWatcher::refusedReason(address), "the address holds a line break");
    }
    EXPECT_EQ(list.count(), 0);
    EXPECT_TRUE(probe.started.empty());
    EXPECT_EQ(PostWatcher::refusedReason("http://h/a b"), "");
    for (const char* blank : {"", " ", " \t "}) {
        EXPECT_EQ(watcher.watchCurrentPage(blank), -1);
        EXPECT_EQ(PostWatcher::refusedReason(blank), "the address is empty");
    }
    EXPECT_EQ(list.count(), 0);
}

TEST(ReplyCheck, RestartWhileWaitingBeginsAgainAtTheFirstPost) {
    WatchList list = listOf({{"a", "1000"}, {"b", "1000"}});
    FakeProbe probe;
    FakePanels panels;
    ParallelCheck check({&probe});
    check.setProgressCallback(
        [&](const CheckProgress& p) { panels.setPanelText(1, progressText(p)); });
    check.start(list, {});
    probe.client->onMeasured({2000, {}});  // a is new; now waiting on b
    check.start(list, {});                 // the probe drops b's fetch
    EXPECT_TRUE(check.newReplies().empty());
    probe.client->onMeasured({1000, {}});  // this run's result for a: not new
    list.removeAt(0);                      // the run goes on over the list as it started
    probe.client->onMeasured({2000, {}});
    EXPECT_EQ(check.newReplies(), Strings{"b"});
    EXPECT_EQ(probe.started, (Strings{"a", "b", "a", "b"}));
}

// Stopped, a run judges nothing more and says what it had found; the next one starts afresh.
TEST(ReplyCheck, StopEndsTheRun) {
    const WatchList list = listOf({{"a", "1000"}, {"b", "1000"}, {"c", "1000"}});
    FakeProbe probe;
    FakePanels panels;
    ParallelCheck check({&probe});
    check.setProgressCallback(
        [&](const CheckProgress& p) { panels.setPanelText(1, progressText(p)); });
    bool finished = false;
    check.start(list, [&] { finished = true; });
    probe.client->onMeasured({2000, {}});
    check.stop();
    EXPECT_FALSE(check.running());
    EXPECT_EQ(panels.texts[1].back(), "check stopped - 1 new replies found");
    EXPECT_EQ(probe.stopped, 1);           // b's fetch is dropped
    probe.client->onMeasured({2000, {}});  // an answer that was on its way: not judged
    EXPECT_EQ(check.newReplies(), Strings{"a"});
    EXPECT_EQ(probe.started, (Strings{"a", "b"}));
    EXPECT_FALSE(finished);
    check.start(list, [&] { finished = true; });
    for (int i = 0; i < 3; ++i) probe.client->onMeasured({1000, {}});
    EXPECT_TRUE(finished);
    EXPECT_TRUE(check.newReplies().empty());
}

// Steps on a watcher: watch an address, remove an index, or deliver the probe's outcome.
struct Step {
    char kind;
    std::string text;
    std::int64_t n = 0;
};
// clang-format off
Step watch(std::string a) { return {'w', std::move(a)}; }
Step removeAt(int i) { return {'r', {}, i}; }
Step measured(std::int64_t n) { return {'m', {}, n}; }
Step failed() { return {'f', "Connection refused"}; }
// clang-format on

TEST(PostWatcher, MeasuredSizeLandsOnTheWatchedPostWhereverItStands) {
    struct Row {
        const char* name;
        Posts before;
        std::vector<Step> steps;
        Posts after;
        std::vector<int> watchResults;
        Strings started;
        size_t completed;  // how often panel 2 read "Response completed"
    };
    // clang-format off
    const Row rows[] = {
        {"new post", {{"a", "1"}}, {watch("b")},
         {{"a", "1"}, {"b", kNm}}, {1}, {"b"}, 0},
        {"new measured", {}, {watch("a"), measured(700)},
         {{"a", "700"}}, {0}, {"a"}, 1},
        {"case differs", {{"a", "1"}}, {watch("A"), measured(5)},
         {{"a", "1"}, {"A", "5"}}, {1}, {"A"}, 1},
        {"re-watch", {{"a", "1"}, {"b", "2"}}, {watch("a"), measured(9)},
         {{"a", "9"}, {"b", "2"}}, {0}, {"a"}, 1},
        {"earlier removed", {{"a", "1"}}, {watch("b"), removeAt(0), measured(8)},
         {{"b", "8"}}, {1}, {"b"}, 1},
        {"post gone", {{"a", "1"}}, {watch("b"), removeAt(1), measured(8)},
         {{"a", "1"}}, {1}, {"b"}, 1},
        {"failed new", {}, {watch("a"), failed()},
         {{"a", kNm}}, {0}, {"a"}, 0},
        {"failed keeps", {{"a", "3"}}, {watch("a"), failed(), measured(4)},
         {{"a", "3"}}, {0}, {"a"}, 0},
        {"second watch", {}, {watch("a"), watch("b"), measured(6)},
         {{"a", kNm}, {"b", "6"}}, {0, 1}, {"a", "b"}, 1},
        {"late result", {}, {watch("a"), measured(6), measured(7)},
         {{"a", "6"}}, {0}, {"a"}, 1},
        {"remove", {{"a", "1"}, {"b", "2"}}, {removeAt(-1), removeAt(2), removeAt(0)},
         {{"b", "2"}}, {}, {}, 0},
    };
    // clang-format on
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        WatchList list = listOf(r.before);
        FakeProbe probe;
        FakePanels panels;
        PostWatcher watcher(list, probe, panels);
        ASSERT_EQ(probe.client, &watcher);
        std::vector<int> results;
        std::string failure;  // a failure is reported until the next watch starts
        for (const Step& s : r.steps) {
            if (s.kind == 'w') {
                results.push_back(watcher.watchCurrentPage(s.text));
                EXPECT_EQ(list.at(results.back()).address, s.text);  // present at once
                failure.clear();
            }
            if (s.kind == 'f') failure = s.text;
            if (s.kind == 'r') watcher.removeWatch(static_cast<int>(s.n));
            if (s.kind == 'm') watcher.onMeasured({s.n, {}});
            if (s.kind == 'f') watcher.onMeasureFailed(s.text);
        }
        EXPECT_EQ(list.posts(), r.after);
        EXPECT_EQ(results, r.watchResults);
        EXPECT_EQ(probe.started, r.started);
        EXPECT_EQ(panels.texts[2], Strings(r.completed, "Response completed"));
        EXPECT_EQ(watcher.measuring(), r.steps.back().kind == 'w');
        EXPECT_EQ(watcher.lastFailure(), failure);
    }
}

TEST(PostWatcher, FullListRefusesANewPostButReMeasuresAWatchedOne) {
    WatchList list;
    for (int i = 0; i < kMaxListEntries; ++i) list.append("p" + std::to_string(i), "1");
    FakeProbe probe;
    FakePanels panels;
    PostWatcher watcher(list, probe, panels);
    EXPECT_EQ(watcher.watchCurrentPage("new"), -1);
    EXPECT_FALSE(watcher.measuring());
    EXPECT_TRUE(probe.started.empty());
    EXPECT_EQ(watcher.watchCurrentPage("p5"), 5);
    EXPECT_EQ(probe.started, Strings{"p5"});
}

}  // namespace
}  // namespace boardcast

namespace boardcast {
namespace {

MeasuredPage pageWithPosts(std::vector<ForumPost> posts, std::int64_t bytes = 5000) {
    MeasuredPage page(bytes);
    page.postsRead = true;
    page.posts = std::move(posts);
    page.latestPostCount = static_cast<int>(page.posts.size());
    return page;
}

// New replies are the posts after the newest seen whose author is not the user; where the
// posts cannot be read, or the newest seen is unknown, the size decides as before.
TEST(ReplyCheck, NewRepliesArePostsByOthersAfterTheNewestSeen) {
    struct Row {
        const char* name;
        std::vector<ForumPost> posts;
        const char* seen;
        Strings ownNames;
        bool byPosts;
        Strings expected;  // ids of the new posts
    };
    const std::vector<ForumPost> thread = {{"9", "ann", "old", ""},    {"10", "bob", "seen", ""},
                                           {"12", "Ann", "mine", ""},  {"13", "carol", "new", ""},
                                           {"13", "carol", "new", ""}, {"15", "", "a guest", ""}};
    const Row rows[] = {
        {"others after the seen one, a repeated post once",
         thread,
         "10",
         {"ann"},
         true,
         {"13", "15"}},
        {"nobody is the user without a name", thread, "10", {}, true, {"12", "13", "15"}},
        {"the seen post deleted: by number", thread, "11", {"ANN"}, true, {"13", "15"}},
        {"nothing after the newest", thread, "15", {"ann"}, true, {}},
        {"ids that are no numbers: by place",
         {{"a", "x", "", ""}, {"b", "y", "", ""}},
         "a",
         {},
         true,
         {"b"}},
        {"a seen id not on the page: by size", {{"a", "x", "", ""}}, "z", {}, false, {}},
        {"nothing seen yet: by size", thread, "", {}, false, {}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        CheckTarget target{"http://f/t", "1000", "", false, r.seen, r.ownNames};
        const ThreadNews news = threadNews(pageWithPosts(r.posts), target);
        EXPECT_EQ(news.byPosts, r.byPosts);
        Strings ids;
        for (const ForumPost& p : news.posts) ids.push_back(p.id);
        EXPECT_EQ(ids, r.expected);
        if (!r.byPosts) {
            EXPECT_TRUE(news.grown);  // 5000 bytes over 1000
        }
    }
    // A page whose posts cannot be read keeps the size rule, as before.
    MeasuredPage plain(1400);
    EXPECT_FALSE(threadNews(plain, {"u", "1000", "", false, "10", {}}).any());
    plain.bodyBytes = 1501;
    EXPECT_TRUE(threadNews(plain, {"u", "1000", "", false, "10", {}}).any());
}

// Watching moves the newest seen post on, a post detection learns the user's name for the
// forum, and opening the new replies marks them seen (never back to an older post).
TEST(PostWatcher, WatchingAndOpeningMoveTheNewestSeenPost) {
    WatchList list;
    FakeProbe probe;
    FakePanels panels;
    PostWatcher watcher(list, probe, panels);
    ASSERT_EQ(watcher.watchCurrentPage("http://F.example/t?id=1", true), 0);
    probe.client->onMeasured(pageWithPosts({{"4", "bob", "hi", ""}, {"7", "Me", "my post", ""}}));
    const PostDetails& d = list.detailsOf("http://F.example/t?id=1");
    EXPECT_EQ(d.seenPostId, "7");
    EXPECT_EQ(d.seenPostAuthor, "Me");
    EXPECT_EQ(d.latestPostCount, 2);
    EXPECT_EQ(list.ownNamesOn("f.example"), Strings{"Me"});

    markSeen(list, "http://F.example/t?id=1", {"9", "carol", "", ""});
    EXPECT_EQ(list.detailsOf("http://F.example/t?id=1").seenPostId, "9");
    markSeen(list, "http://F.example/t?id=1", {"8", "dan", "", ""});
    EXPECT_EQ(list.detailsOf("http://F.example/t?id=1").seenPostAuthor, "carol");

    // Watching by hand learns no name.
    ASSERT_EQ(watcher.watchCurrentPage("http://g.example/t"), 1);
    probe.client->onMeasured(pageWithPosts({{"1", "someone", "", ""}}));
    EXPECT_TRUE(list.ownNamesOn("g.example").empty());
}

}  // namespace
}  // namespace boardcast
