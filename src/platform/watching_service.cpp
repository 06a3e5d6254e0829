#include "platform/watching_service.h"

#include "core/storage/text_file.h"
#include "core/watching/watch_lists.h"

namespace boardcast {

WatchingService::Fetcher WatchingService::makeFetcher(StatusPanels& phases) {
    Fetcher f;
    f.socket = std::make_unique<QtProbeSocket>();
    f.probe = std::make_unique<PageProbe>(*f.socket, phases);
    f.probe->setReader(reader_);
    f.probe->setIdentity(identity_);
    f.probe->setCookieJar(loggedIn_ ? &cookies_ : nullptr);
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

void WatchingService::setLoggedIn(bool on) {
    loggedIn_ = on;
    size_.probe->setCookieJar(on ? &cookies_ : nullptr);
    for (Fetcher& f : checkFetchers_) f.probe->setCookieJar(on ? &cookies_ : nullptr);
}

void WatchingService::loadCookies(const std::string& dataFolder) {
    auto text = readFileBytes(joinPath(dataFolder, kCookiesFile));
    cookies_ = text ? CookieJar::fromText(text.value(), secondsNow()) : CookieJar();
}

int WatchingService::connectionsOpened() const {
    int opened = size_.probe->connectionsOpened();
    for (const Fetcher& f : checkFetchers_) opened += f.probe->connectionsOpened();
    return opened;
}

}  // namespace boardcast
