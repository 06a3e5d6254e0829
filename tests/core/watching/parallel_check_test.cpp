#include "core/watching/parallel_check.h"

#include "core/storage/settings_keys.h"
#include "core/watching/check_settings.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <random>

namespace boardcast {
namespace {

using Strings = std::vector<std::string>;

// A measurer whose fetches end when the test says so.
struct FakeMeasurer : PageMeasurer {
    void setClient(MeasurementClient* c) override { client = c; }
    void startMeasuring(const std::string& url) override { fetching = url; }
    void stopMeasuring() override { fetching.reset(); }
    MeasurementClient* client = nullptr;
    std::optional<std::string> fetching;
};

struct FakePanels : StatusPanels {
    void setPanelText(int panel, const std::string& text) override { texts[panel].push_back(text); }
    std::map<int, Strings> texts;
};

// The fetched size of each address, or nullopt for a failure.
using Pages = std::map<std::string, std::optional<std::int64_t>>;

struct Outcome {
    Strings newReplies;
    std::vector<CheckFailure> failures;
    std::string summary;
    int mostAtOnce = 0;
    int mostFromOneHost = 0;
};

// Runs a check with `jobs` measurers, at most two a host, ending the fetches in an order
// drawn from seed.
Outcome runCheck(const WatchList& posts, const Pages& pages, int jobs, unsigned seed) {
    std::vector<FakeMeasurer> measurers(static_cast<size_t>(jobs));
    std::vector<PageMeasurer*> pointers;
    for (FakeMeasurer& m : measurers) pointers.push_back(&m);
    FakePanels panels;
    ParallelCheck check(pointers, 2);
    check.setProgressCallback(
        [&](const CheckProgress& p) { panels.setPanelText(1, progressText(p)); });
    bool finished = false;
    check.start(posts, [&] { finished = true; });
    std::mt19937 random(seed);
    Outcome run;
    while (!finished) {
        std::vector<FakeMeasurer*> busy;
        std::map<std::string, int> hosts;
        for (FakeMeasurer& m : measurers) {
            if (!m.fetching) continue;
            busy.push_back(&m);
            run.mostFromOneHost = std::max(run.mostFromOneHost, ++hosts[hostKey(*m.fetching)]);
        }
        run.mostAtOnce = std::max(run.mostAtOnce, static_cast<int>(busy.size()));
        if (busy.empty()) break;  // stalled: the test fails below
        FakeMeasurer& next = *busy[random() % busy.size()];
        const std::string url = *next.fetching;
        next.fetching.reset();
        const auto page = pages.at(url);
        if (page) {
            next.client->onMeasured({*page, {}});
        } else {
            next.client->onMeasureFailed("refused by " + url);
        }
    }
    EXPECT_TRUE(finished);
    EXPECT_FALSE(check.running());
    run.newReplies = check.newReplies();
    run.failures = check.failures();
    run.summary = panels.texts[1].empty() ? "" : panels.texts[1].back();
    return run;
}

TEST(ParallelCheck, SameResultsInListOrderWhateverTheJobsAndTiming) {
    WatchList posts;
    Pages pages;
    // Twelve posts on four hosts: every third grown, every fifth unreachable.
    for (int i = 0; i < 12; ++i) {
        const std::string url =
            "http://HOST" + std::to_string(i % 4) + ".example/t/" + std::to_string(i);
        posts.append(url, "1000");
        pages[url] =
            i % 5 == 4 ? std::nullopt : std::optional<std::int64_t>(i % 3 == 0 ? 2000 : 1100);
    }
    const Outcome one = runCheck(posts, pages, 1, 1);
    EXPECT_EQ(one.mostAtOnce, 1);
    EXPECT_EQ(one.newReplies.size(), 3u);  // 0, 3 and 6; 9 could not be fetched
    EXPECT_EQ(one.failures.size(), 2u);
    EXPECT_EQ(one.summary, "finished - 3 new replies found (2 could not be checked)");
    for (int jobs : {2, 5, 8, 16}) {
        for (unsigned seed = 0; seed < 20; ++seed) {
            const Outcome many = runCheck(posts, pages, jobs, seed);
            ASSERT_EQ(many.newReplies, one.newReplies) << jobs << " jobs, seed " << seed;
            ASSERT_EQ(many.failures.size(), one.failures.size());
            for (size_t i = 0; i < one.failures.size(); ++i) {
                EXPECT_EQ(many.failures[i].address, one.failures[i].address);
                EXPECT_EQ(many.failures[i].reason, one.failures[i].reason);
            }
            EXPECT_EQ(many.summary, one.summary);
            EXPECT_LE(many.mostFromOneHost, 2);
            EXPECT_EQ(many.mostAtOnce, std::min(jobs, 8));  // four hosts, two each
        }
    }
}

// A thread is checked on its latest page; when that cannot be fetched, on the post's own.
TEST(ParallelCheck, LatestPagesAndTheirFallback) {
    WatchList posts;
    for (const char* name : {"a", "b", "c"}) {
        const std::string url = std::string("http://h/") + name;
        posts.append(url, "1000");
        PostDetails& d = posts.details(url);
        d.latestPage = url + "/last";
        d.latestBytes = 5000;
    }
    const Pages pages = {{"http://h/a/last", 5200},
                         {"http://h/b/last", std::nullopt},
                         {"http://h/b", 2000},
                         {"http://h/c/last", std::nullopt},
                         {"http://h/c", std::nullopt}};
    for (int jobs : {1, 3}) {
        for (unsigned seed = 0; seed < 10; ++seed) {
            const Outcome run = runCheck(posts, pages, jobs, seed);
            EXPECT_EQ(run.newReplies, Strings{"http://h/b"});
            ASSERT_EQ(run.failures.size(), 1u);
            EXPECT_EQ(run.failures[0].reason, "refused by http://h/c");
            EXPECT_EQ(run.summary, "finished - 1 new replies found (1 could not be checked)");
        }
    }
}

TEST(ParallelCheck, OneHostNeverGetsMoreThanTwoAtOnce) {
    WatchList posts;
    Pages pages;
    for (int i = 0; i < 10; ++i) {
        const std::string url = "https://forum.example:8443/t/" + std::to_string(i);
        posts.append(url, "100");
        pages[url] = 100;
    }
    const Outcome run = runCheck(posts, pages, 8, 3);
    EXPECT_EQ(run.mostAtOnce, 2);
    EXPECT_TRUE(run.newReplies.empty());
    EXPECT_EQ(run.summary, "finished - 0 new replies found");
}

// Measurers that answer within startMeasuring: every post is still checked once, in order,
// without a call in a call for each post.
TEST(ParallelCheck, AnswersThatComeAtOnce) {
    struct AtOnce : PageMeasurer {
        void setClient(MeasurementClient* c) override { client = c; }
        void startMeasuring(const std::string& url) override {
            started.push_back(url);
            client->onMeasured({url.ends_with('0') ? 5000 : 100, {}});
        }
        void stopMeasuring() override {}
        MeasurementClient* client = nullptr;
        Strings started;
    };
    WatchList posts;
    for (int i = 0; i < 20000; ++i)
        posts.append("http://h" + std::to_string(i % 3) + "/" + std::to_string(i), "100");
    std::vector<AtOnce> measurers(4);
    std::vector<PageMeasurer*> pointers;
    for (AtOnce& m : measurers) pointers.push_back(&m);
    FakePanels panels;
    ParallelCheck check(pointers);
    check.setProgressCallback(
        [&](const CheckProgress& p) { panels.setPanelText(1, progressText(p)); });
    bool finished = false;
    check.start(posts, [&] { finished = true; });
    EXPECT_TRUE(finished);
    EXPECT_EQ(check.newReplies().size(), 2000u);
    Strings started;
    for (const AtOnce& m : measurers)
        started.insert(started.end(), m.started.begin(), m.started.end());
    ASSERT_EQ(started.size(), 20000u);
    EXPECT_EQ(measurers[0].started.size(), 20000u);  // each answer frees the same measurer
    for (int i = 0; i < 20000; ++i) ASSERT_EQ(started[static_cast<size_t>(i)], posts.at(i).address);
}

TEST(ParallelCheck, EmptyListFinishesAtOnce) {
    const Outcome run = runCheck(WatchList{}, {}, 4, 0);
    EXPECT_EQ(run.summary, "finished - 0 new replies found");
}

TEST(CheckSettings, StoredValuesAreBroughtIntoRange) {
    struct Row {
        const char* jobs;
        const char* perHost;
        const char* minutes;
        CheckSettings expected;
    };
    const Row rows[] = {
        {nullptr, nullptr, nullptr, {8, 6, 0}}, {"16", "2", "60", {16, 2, 60}},
        {"0", "99", "5", {1, 16, 15}},          {"x", "", "-3", {8, 6, 0}},
        {"4 ", "3", "100000", {8, 3, 1440}},
    };
    for (const Row& r : rows) {
        MemorySettingsStore store;
        for (const auto& [key, value] :
             {std::pair{&keys::checkJobs, r.jobs}, std::pair{&keys::checkPerHost, r.perHost},
              std::pair{&keys::checkEveryMinutes, r.minutes}}) {
            if (value != nullptr) {
                ASSERT_TRUE(writeSetting(store, *key, value));
            }
        }
        EXPECT_EQ(loadCheckSettings(store), r.expected) << (r.jobs ? r.jobs : "-");
    }
    MemorySettingsStore store;
    ASSERT_TRUE(storeCheckSettings(store, {20, 0, 7}));
    EXPECT_EQ(loadCheckSettings(store), (CheckSettings{16, 1, 15, true}));
}

TEST(ParallelCheck, HostKeys) {
    EXPECT_EQ(hostKey("http://Forum.Example/t/1"), "forum.example");
    EXPECT_EQ(hostKey("https://forum.example:8443/x"), "forum.example:8443");
    EXPECT_EQ(hostKey("forum.example/x"), "forum.example");
    EXPECT_EQ(hostKey("http://h"), "h");
    EXPECT_EQ(hostKey("http://H:8089?x=1"), "h:8089");
}

}  // namespace
}  // namespace boardcast
