#include "core/watching/latest_page.h"

#include <gtest/gtest.h>

#include <map>

namespace boardcast {
namespace {

// Answers at once from a table of pages: address -> (size, next page); others fail.
struct Pages final : PageMeasurer {
    void setClient(MeasurementClient* c) override { client = c; }
    void startMeasuring(const std::string& url) override {
        asked.push_back(url);
        const auto it = site.find(url);
        if (it == site.end()) return client->onMeasureFailed("refused");
        MeasuredPage page(it->second.first, "T " + url);
        page.address = url;
        page.nextPage = it->second.second;
        client->onMeasured(page);
    }
    void stopMeasuring() override {}
    MeasurementClient* client = nullptr;
    std::map<std::string, std::pair<std::int64_t, std::string>> site;
    std::vector<std::string> asked;
};

struct Result final : MeasurementClient {
    void onMeasured(const MeasuredPage& p) override { page = p, failed.clear(); }
    void onMeasureFailed(const MeasureFailure& failure) override { failed = failure.reason; }
    MeasuredPage page;
    std::string failed;
};

TEST(LatestPageFinder, FollowsNextPagesToTheLastOneItCanReach) {
    struct Row {
        std::map<std::string, std::pair<std::int64_t, std::string>> site;
        std::string latest, latestNext;
        std::int64_t latestBytes;
        size_t fetched;
    };
    std::map<std::string, std::pair<std::int64_t, std::string>> long_site;
    for (int i = 1; i <= 60; ++i)
        long_site["http://h/t/" + std::to_string(i)] = {i == 1 ? 10 : i,
                                                        "http://h/t/" + std::to_string(i + 1)};
    const Row rows[] = {
        {{{"http://h/t/1", {10, ""}}}, "http://h/t/1", "", 10, 1},
        {{{"http://h/t/1", {10, "http://h/t/2"}},
          {"http://h/t/2", {20, "http://H/t/3"}},
          {"http://H/t/3", {30, ""}}},
         "http://H/t/3",
         "",
         30,
         3},
        // A loop, another host, a page out of reach: the last page reached stands.
        {{{"http://h/t/1", {10, "http://h/t/2"}}, {"http://h/t/2", {20, "http://h/t/1"}}},
         "http://h/t/2",
         "http://h/t/1",
         20,
         2},
        {{{"http://h/t/1", {10, "http://elsewhere/t/2"}}},
         "http://h/t/1",
         "http://elsewhere/t/2",
         10,
         1},
        {{{"http://h/t/1", {10, "http://h/t/2"}}}, "http://h/t/1", "http://h/t/2", 10, 2},
        {long_site, "http://h/t/50", "http://h/t/51", 50, 50},
    };
    for (const Row& r : rows) {
        Pages pages;
        pages.site = r.site;
        LatestPageFinder finder(pages);
        Result result;
        finder.setClient(&result);
        finder.startMeasuring("http://h/t/1");
        EXPECT_EQ(result.page.latestPage, r.latest);
        EXPECT_EQ(result.page.latestNext, r.latestNext);
        EXPECT_EQ(result.page.latestBytes, r.latestBytes);
        EXPECT_EQ(result.page.bodyBytes, 10);  // the page asked for
        EXPECT_EQ(result.page.title, "T http://h/t/1");
        EXPECT_EQ(pages.asked.size(), r.fetched) << r.latest;
    }
    Pages none;
    LatestPageFinder finder(none);
    Result result;
    finder.setClient(&result);
    finder.startMeasuring("http://h/t/1");
    EXPECT_EQ(result.failed, "refused");
}

TEST(ThreadKey, SetsPagesAndPostsAside) {
    const std::pair<std::string, std::string> rows[] = {
        {"http://h/showthread.php?tid=2&pid=48#pid48", "http://h/showthread.php?tid=2"},
        {"http://h/showthread.php?tid=2&page=3", "http://h/showthread.php?tid=2"},
        {"http://h/viewtopic.php?id=3&p=2", "http://h/viewtopic.php?id=3"},
        {"http://h/viewtopic.php?pid=5#p5", ""},  // names a post, not a thread
        {"http://h/index.php?topic=3.msg5", "http://h/index.php?topic=3"},
        {"http://h/index.php?topic=3.30", "http://h/index.php?topic=3"},
        {"http://h/index.php?board=1.0", "http://h/index.php?board=1.0"},
        {"http://h/threads/widgets.123/page-2", "http://h/threads/widgets.123/"},
        {"http://h/t/widgets/45", "http://h/t/widgets/45"},
    };
    for (const auto& [address, key] : rows) EXPECT_EQ(threadKey(address), key) << address;
}

}  // namespace
}  // namespace boardcast
