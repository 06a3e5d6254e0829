#include "platform/watching_service.h"

namespace boardcast {

WatchingService::Fetcher WatchingService::makeFetcher(StatusPanels& phases) {
    Fetcher f;
    f.socket = std::make_unique<QtProbeSocket>();
    f.probe = std::make_unique<PageProbe>(*f.socket, phases);
    f.probe->setReader(reader_);
    f.finder = std::make_unique<LatestPageFinder>(*f.probe);
    return f;
}

WatchingService::WatchingService(StatusPanels& sizePhases, StatusPanels& checkPhases, int jobs,
                                 int perHost)
    : checkPhases_(checkPhases), size_(makeFetcher(sizePhases)), sizeFinder_(size_.finder.get()) {
    rebuildCheck(jobs, perHost);
}

WatchingService::~WatchingService() = default;

void WatchingService::rebuildCheck(int jobs, int perHost) {
    std::vector<Fetcher> fetchers;
    std::vector<PageMeasurer*> measurers;
    for (int i = 0; i < jobs; ++i) {
        fetchers.push_back(makeFetcher(checkPhases_));
        measurers.push_back(fetchers.back().finder.get());
    }
    auto check = std::make_unique<ParallelCheck>(std::move(measurers), perHost);
    if (check_) check->takeCallbacksOf(*check_);
    // The old check lets go of its measurers before they go.
    check_ = std::move(check);
    checkFetchers_ = std::move(fetchers);
}

}  // namespace boardcast
