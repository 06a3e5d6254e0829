#pragma once
// The machinery that watches threads, built the same way for the desktop program and the
// headless commands: a size probe that measures a watched page and follows its thread to
// its latest page, and the reply check, a ParallelCheck over as many probes (each following
// next pages) as pages are fetched at once. Both report typed outcomes (MeasurementClient,
// ParallelCheck's callbacks); the probes' phase texts go to the panels given. Pages are read
// on a worker thread.

#include <memory>
#include <vector>

#include "core/watching/latest_page.h"
#include "core/watching/parallel_check.h"
#include "net/cookie_jar.h"
#include "net/page_probe.h"
#include "platform/qt_probe_socket.h"
#include "platform/threaded_page_reader.h"

namespace boardcast {

// The persistent cookies of the user's logins, in the data folder: written by the desktop
// program from its browser, read by the headless commands.
inline constexpr std::string_view kCookiesFile = "cookies.txt";

class WatchingService {
public:
    // The panels must outlive the service: sizePhases takes the size probe's texts,
    // checkPhases the check's probes'.
    WatchingService(StatusPanels& sizePhases, StatusPanels& checkPhases, int jobs, int perHost);
    ~WatchingService();

    // Measures one page and its thread's latest page.
    PageMeasurer& measurer() { return *sizeFinder_; }
    ParallelCheck& check() { return *check_; }

    // Builds the check anew with other numbers; only between runs. The callbacks of the
    // check are kept.
    void rebuildCheck(int jobs, int perHost);

    // Who the requests say asks (the browser's identity), and whether they carry the user's
    // cookies (else they ask as a guest); in force from the next page.
    void setIdentity(RequestIdentity identity) { identity_ = std::move(identity); }
    void setLoggedIn(bool on);
    // The cookies the requests carry; the forums' answers add theirs.
    CookieJar& cookies() { return cookies_; }
    // Connections the probes opened so far.
    int connectionsOpened() const;
    // Takes the cookies the data folder keeps (none when the file is missing or unreadable).
    void loadCookies(const std::string& dataFolder);

private:
    struct Fetcher {
        std::unique_ptr<QtProbeSocket> socket;
        std::unique_ptr<PageProbe> probe;
        std::unique_ptr<LatestPageFinder> finder;
    };
    Fetcher makeFetcher(StatusPanels& phases);

    // Declared first, so that it goes last: the probes must not outlive it.
    ThreadedPageReader reader_;
    RequestIdentity identity_;
    CookieJar cookies_;
    bool loggedIn_ = true;
    StatusPanels& checkPhases_;
    Fetcher size_;
    LatestPageFinder* sizeFinder_ = nullptr;
    std::vector<Fetcher> checkFetchers_;
    std::unique_ptr<ParallelCheck> check_;
};

}  // namespace boardcast
