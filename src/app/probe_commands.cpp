// The headless commands that fetch pages: watch and check. Each runs an event loop until
// its probe has reported, with the real socket adapter.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "app/headless_commands.h"
#include "core/shell/program_lists.h"
#include "core/storage/folder_lock.h"
#include "core/storage/private_folder.h"
#include "core/watching/latest_page.h"
#include "core/watching/parallel_check.h"
#include "core/watching/post_watcher.h"
#include "core/watching/reply_check.h"
#include "net/page_probe.h"
#include "platform/desktop_notification.h"
#include "platform/qt_probe_socket.h"

namespace boardcast {

namespace {

// Status panels on standard error: the chosen panels, progress at most one line a second (a
// large page reports every piece it receives), and the outcome of a check and every
// failure of a probe at once.
class StderrPanels final : public StatusPanels {
public:
    StderrPanels(std::set<int> panels, bool showFailures)
        : panels_(std::move(panels)), showFailures_(showFailures) {
        sinceLast_.start();
    }
    void setPanelText(int panel, const std::string& text) override {
        const bool failure = panel == 2 && text.starts_with("Could not reach ");
        if (text.empty() || (failure ? !showFailures_ : panels_.count(panel) == 0)) return;
        const bool outcome = failure || text.starts_with("finished - ");
        if (!outcome && printed_ && sinceLast_.elapsed() < 1000) return;
        std::cerr << text << "\n";
        printed_ = true;
        sinceLast_.restart();
    }

private:
    std::set<int> panels_;
    bool showFailures_;
    bool printed_ = false;
    QElapsedTimer sinceLast_;
};

}  // namespace

std::optional<FolderLock> takeFolderForChange(const std::string& folder, std::string_view holder,
                                              int& exitStatus) {
    // The desktop program keeps the folder while it is open: no use waiting for it.
    auto lock = FolderLock::acquire(folder, holder, 0);
    const bool busy = !lock && lock.error().code == ErrorCode::Busy;
    if (busy && !FolderLock::holderOf(folder).starts_with("desktop")) {
        lock = FolderLock::acquire(folder, holder, kFolderWaitMs);
    }
    if (!lock) {
        if (lock.error().code != ErrorCode::Busy) {
            // A read-only folder, a file in its place, no permission: waiting will not help.
            std::cerr << "boardcast: " << lock.error().text << "\n";
            exitStatus = kExitFailure;
        } else if (FolderLock::holderOf(folder).starts_with("desktop")) {
            std::cerr << "boardcast: Boardcast is open on the data folder " << folder
                      << "; use \"Watch This Post\" there, or close it and try again.\n";
            exitStatus = kExitBusy;
        } else {
            std::cerr << "boardcast: " << lock.error().text << " Try again in a moment.\n";
            exitStatus = kExitBusy;
        }
        return std::nullopt;
    }
    if (Status s = recoverDataFolder(folder); !s)
        std::cerr << "boardcast: " << s.error().text << "\n";
    return std::move(lock.value());
}

namespace {

bool loadListsOrReport(const std::string& folder, StartupLists& startup) {
    startup = loadProgramLists(folder);
    for (const std::string& problem : startup.problems)
        std::cerr << "boardcast: " << problem << "\n";
    return startup.lists.postsLoaded;
}

struct FetchedResult {
    std::string address;
    MeasuredPage page;
    CheckTarget target;
};

// The titles and times a check learnt go into the lists as they stand now. The desktop
// program, when it holds the folder, keeps its own; the check does not wait for it.
void keepCheckDetails(const std::string& folder, const std::vector<FetchedResult>& fetched) {
    if (fetched.empty() || FolderLock::holderOf(folder).starts_with("desktop")) return;
    auto lock = FolderLock::acquire(folder, "check", kFolderWaitMs);
    if (!lock) return;
    if (Status s = recoverDataFolder(folder); !s) return;
    auto loaded = loadWatchLists(folder);
    if (!loaded || !loaded.value().notices.empty()) return;  // a cut list is never written back
    const std::int64_t now = secondsNow();
    for (const FetchedResult& f : fetched)
        noteFetchedPage(loaded.value().list, f.address, f.page, f.target, now);
    for (const Error& e : saveWatchLists(folder, loaded.value().list)) {
        std::cerr << "boardcast: the titles and check times were not kept: " << e.text << "\n";
    }
}

}  // namespace

int runWatch(const std::string& folder, const std::string& url) {
    if (std::string reason = PostWatcher::refusedReason(url); !reason.empty()) {
        std::cerr << "boardcast: " << reason << "; it was not added.\n";
        return kExitFailure;
    }
    // The folder is held only while the lists change, not while the page is fetched, so
    // that another command waiting for it is not kept long.
    auto change = [&](const std::function<int(ProgramLists&)>& edit) {
        int refused = 0;
        auto lock = takeFolderForChange(folder, "watch", refused);
        if (!lock) return refused;
        StartupLists startup;
        if (!loadListsOrReport(folder, startup)) return kExitFailure;
        if (int status = edit(startup.lists); status != 0) return status;
        for (const Error& e : saveWatchLists(folder, startup.lists.posts)) {
            std::cerr << "boardcast: " << e.text << "\n";
            return kExitFailure;
        }
        return 0;
    };
    bool added = false;
    int status = change([&](ProgramLists& lists) {
        if (lists.posts.isWatched(url)) return 0;
        added = lists.posts.append(url) >= 0;
        if (added) return 0;
        std::cerr << "boardcast: " << PostWatcher::kListFull << "; " << url << " was not added.\n";
        return kExitFailure;
    });
    if (status != 0) return status;

    StderrPanels panels({2}, true);
    QtProbeSocket socket;
    PageProbe pages(socket, panels);
    LatestPageFinder probe(pages);
    QEventLoop loop;
    struct Outcome final : MeasurementClient {
        explicit Outcome(QEventLoop& loop) : loop(loop) {}
        void onMeasured(const MeasuredPage& measured) override { page = measured, loop.quit(); }
        void onMeasureFailed(const std::string& reason) override { failure = reason, loop.quit(); }
        QEventLoop& loop;
        std::optional<MeasuredPage> page;
        std::string failure;
    } outcome(loop);
    probe.setClient(&outcome);
    probe.startMeasuring(url);
    loop.exec();
    if (!outcome.page) {
        std::cerr << "boardcast: " << url
                  << " was added but could not be measured: " << outcome.failure << "\n";
        return kExitFailure;
    }
    // By address, in the lists as they are now: others may have changed them meanwhile.
    std::optional<WatchedPost> stored;
    status = change([&](ProgramLists& lists) {
        const int index = recordMeasurement(lists.posts, url, *outcome.page, added, secondsNow());
        if (index >= 0) stored = lists.posts.at(index);
        return 0;
    });
    if (status != 0) return status;
    if (stored && stored->address != url) {
        std::cerr << "boardcast: " << url << " is in a thread watched already as "
                  << stored->address << "; that one was measured again.\n";
    }
    if (stored) std::cout << stored->address << '\t' << stored->size << '\n';
    return 0;
}

int runCheck(const std::string& folder, int jobs, int perHost, bool notify) {
    StartupLists startup;
    if (!loadListsOrReport(folder, startup)) return kExitFailure;

    // Failures are listed at the end, in list order, rather than as they happen.
    StderrPanels panels({1}, false);
    std::vector<std::unique_ptr<QtProbeSocket>> sockets;
    std::vector<std::unique_ptr<PageProbe>> probes;
    std::vector<PageMeasurer*> measurers;
    for (int i = 0; i < jobs; ++i) {
        sockets.push_back(std::make_unique<QtProbeSocket>());
        probes.push_back(std::make_unique<PageProbe>(*sockets.back(), panels));
        measurers.push_back(probes.back().get());
    }
    ParallelCheck check(measurers, panels, perHost);
    std::vector<FetchedResult> fetched;
    // The run has its own copy of the list: this one takes the titles for the notification.
    const std::int64_t now = secondsNow();
    check.setFetchedCallback(
        [&](const std::string& address, const MeasuredPage& page, const CheckTarget& target) {
            fetched.push_back({address, page, target});
            noteFetchedPage(startup.lists.posts, address, page, target, now);
        });
    QEventLoop loop;
    check.start(startup.lists.posts, [&loop] { loop.quit(); });
    if (check.running()) loop.exec();
    keepCheckDetails(folder, fetched);

    for (const std::string& post : check.newReplies())
        std::cout << withHiddenPassword(post) << '\n';
    std::cout.flush();
    const std::vector<CheckFailure> failures = check.failures();
    for (const CheckFailure& f : failures) {
        std::cerr << "boardcast: could not check " << withHiddenPassword(f.address) << ": "
                  << f.reason << "\n";
    }
    if (notify) {
        std::vector<std::string> names;
        for (const std::string& address : check.newReplies())
            names.push_back(shownName(startup.lists.posts, address));
        if (Status shown = notifyNewReplies(names); !shown) {
            std::cerr << "boardcast: " << shown.error().text << "\n";
        }
    }
    if (!std::cout) return kExitFailure;
    return failures.empty() ? 0 : kExitSomeFailed;
}

}  // namespace boardcast
