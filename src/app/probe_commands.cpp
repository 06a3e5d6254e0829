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
#include "core/storage/settings_keys.h"
#include "core/text/address_text.h"
#include "core/watching/latest_page.h"
#include "core/watching/parallel_check.h"
#include "core/watching/post_watcher.h"
#include "core/watching/reply_check.h"
#include "core/watching/reply_notice.h"
#include "platform/desktop_notification.h"
#include "platform/qt_settings_store.h"
#include "platform/watching_service.h"

namespace boardcast {

namespace {

// Lines on standard error, at most one a second (a large page reports every piece it
// receives, a check every post it starts), except those that must show at once.
class StderrLines {
public:
    StderrLines() { sinceLast_.start(); }
    void print(const std::string& text, bool atOnce) {
        if (text.empty() || (!atOnce && printed_ && sinceLast_.elapsed() < 1000)) return;
        std::cerr << text << "\n";
        printed_ = true;
        sinceLast_.restart();
    }

private:
    bool printed_ = false;
    QElapsedTimer sinceLast_;
};

// The probes' phase texts (panel 2) of a measurement; their download counts (panel 3) and
// the check's probes say nothing.
class StderrPhases final : public StatusPanels {
public:
    explicit StderrPhases(StderrLines* lines) : lines_(lines) {}
    void setPanelText(int panel, const std::string& text) override {
        if (lines_ && panel == 2) lines_->print(text, false);
    }

private:
    StderrLines* lines_;
};

}  // namespace

FolderLockResult takeFolderForChange(const std::string& folder, std::string_view command) {
    FolderLockResult lock =
        FolderLock::take(folder, FolderHolder::ofCommand(std::string(command)), kFolderWaitMs);
    if (!lock) {
        const FolderRefusal& refusal = lock.error();
        switch (refusal.reason) {
            case FolderRefusal::Reason::DesktopOpen:
                std::cerr << "boardcast: Boardcast is open on the data folder " << folder
                          << "; use \"Watch This Post\" there, or close it and try again.\n";
                break;
            case FolderRefusal::Reason::Busy:
                std::cerr << "boardcast: " << refusal.text << " Try again in a moment.\n";
                break;
            case FolderRefusal::Reason::CannotLock:
                std::cerr << "boardcast: " << refusal.text << "\n";
                break;
        }
        return lock;
    }
    if (Status s = recoverDataFolder(folder); !s)
        std::cerr << "boardcast: " << s.error().text << "\n";
    return lock;
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
    if (fetched.empty()) return;
    auto lock = FolderLock::take(folder, FolderHolder::ofCommand("check"), kFolderWaitMs);
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

// The commands ask as the desktop program's browser does: with the User-Agent it last
// stored, and the cookies of the user's logins it keeps in the data folder, unless the user
// turned that off. Cookies the forums set during the run last as long as the run.
void askAsTheBrowser(WatchingService& service, const std::string& folder) {
    QtSettingsStore settings;
    RequestIdentity identity;
    if (std::string agent = readSetting(settings, keys::browserUserAgent); !agent.empty()) {
        identity.userAgent = std::move(agent);
    }
    service.setIdentity(std::move(identity));
    const bool loggedIn = readSetting(settings, keys::checkAsLoggedIn) != "0";
    if (loggedIn) service.loadCookies(folder);
    service.setLoggedIn(loggedIn);
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
        auto lock = takeFolderForChange(folder, "watch");
        if (!lock) return exitStatusFor(lock.error());
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

    StderrLines lines;
    StderrPhases phases(&lines);
    WatchingService service(phases, phases, 0, 1);
    askAsTheBrowser(service, folder);
    PageMeasurer& probe = service.measurer();
    QEventLoop loop;
    struct Outcome final : MeasurementClient {
        explicit Outcome(QEventLoop& loop) : loop(loop) {}
        void onMeasured(const MeasuredPage& measured) override { page = measured, loop.quit(); }
        void onMeasureFailed(const MeasureFailure& f) override { failure = f.reason, loop.quit(); }
        QEventLoop& loop;
        std::optional<MeasuredPage> page;
        std::string failure;
    } outcome(loop);
    probe.setClient(&outcome);
    probe.startMeasuring(url);
    loop.exec();
    if (!outcome.page) {
        std::cerr << "boardcast: " << withHiddenPassword(url)
                  << (added ? " was added but could not be measured: " : " could not be measured: ")
                  << outcome.failure << "\n";
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
    StderrPhases quiet(nullptr);
    WatchingService service(quiet, quiet, jobs, perHost);
    askAsTheBrowser(service, folder);
    ParallelCheck& check = service.check();
    check.setAccountNames(accountNamesByHost(startup.lists.forums));
    StderrLines lines;
    check.setProgressCallback([&lines](const CheckProgress& progress) {
        lines.print(progressText(progress), progress.phase != CheckProgress::Phase::Running);
    });
    std::vector<FetchedResult> fetched;
    // The run has its own copy of the list: this one takes the titles for the notification.
    const std::int64_t now = secondsNow();
    check.setFetchedCallback([&](const std::string& address, const MeasuredPage& page,
                                 const CheckTarget& target, const ThreadNews&) {
        fetched.push_back({address, page, target});
        noteFetchedPage(startup.lists.posts, address, page, target, now);
    });
    QEventLoop loop;
    check.start(startup.lists.posts, [&loop] { loop.quit(); });
    if (check.running()) loop.exec();
    keepCheckDetails(folder, fetched);

    std::vector<ThreadWithNews> found;
    for (const ParallelCheck::Found& f : check.found()) {
        found.push_back({shownName(startup.lists.posts, f.address), f.address, f.news});
        std::cout << checkLine(found.back()) << '\n';
    }
    std::cout.flush();
    const std::vector<CheckFailure> failures = check.failures();
    for (const CheckFailure& f : failures) {
        std::cerr << "boardcast: could not check " << withHiddenPassword(f.address) << ": "
                  << f.reason << "\n";
    }
    if (notify) {
        if (Status shown = notifyNewReplies(found); !shown) {
            std::cerr << "boardcast: " << shown.error().text << "\n";
        }
    }
    if (!std::cout) return kExitFailure;
    return failures.empty() ? 0 : kExitSomeFailed;
}

}  // namespace boardcast
