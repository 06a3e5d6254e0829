#pragma once
// A thread's latest page: the page a watched post's address leads to when its "next page"
// links are followed to the end, and when two addresses belong to one thread.

#include <string>
#include <vector>

#include "core/watching/measurement.h"

namespace boardcast {

// Pages followed at most from the first one.
inline constexpr int kMaxFollowedPages = 50;

// A measurer that measures the page asked for and then follows its next-page links, one
// page after the other, on the same host, until a page names none, a page repeats, the
// link leaves the host, a page cannot be fetched, or kMaxFollowedPages pages were fetched.
// Its client is told of the first page, with latestPage, latestBytes and latestNext saying
// where the following ended, and the posts of every page fetched; a failure of the first
// page is its failure.
class LatestPageFinder final : public PageMeasurer, private MeasurementClient {
public:
    explicit LatestPageFinder(PageMeasurer& pages);
    ~LatestPageFinder() override;

    void setClient(MeasurementClient* client) override { client_ = client; }
    void startMeasuring(const std::string& url) override;
    void stopMeasuring() override;

private:
    void onMeasured(const MeasuredPage& page) override;
    void onMeasureFailed(const MeasureFailure& failure) override;
    void report();

    PageMeasurer& pages_;
    MeasurementClient* client_ = nullptr;
    bool running_ = false;
    MeasuredPage first_;
    MeasuredPage last_;
    int fetched_ = 0;
    std::vector<std::string> visited_;
};

// What stays of an address when the page and post in it are set aside, for telling
// whether two pages belong to one thread: no fragment, no query parameters that name a
// page or a post (p, page, pid, post, start, offset, action) and no offset after a
// topic's number ("topic=3.15" is "topic=3"), no last path part "page-N". Empty when
// nothing of the query is left that could name a thread (as of "viewtopic.php?pid=5"), so
// that such addresses never count as one thread.
std::string threadKey(const std::string& address);

}  // namespace boardcast
