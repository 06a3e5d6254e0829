// The headless commands that fetch pages: watch and check. Each runs an event loop until
// its probe has reported, with the real socket adapter.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <functional>
#include <iostream>
#include <memory>
#include <set>
#include <vector>

#include "app/headless_commands.h"
#include "core/parallel_check.h"
#include "core/post_watcher.h"
#include "core/program_lists.h"
#include "core/reply_check.h"
#include "net/page_probe.h"
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

// Passes a probe's outcome on to its real client, then ends the waiting event loop.
class QuitAfter final : public MeasurementClient {
public:
    QuitAfter(MeasurementClient& inner, std::function<bool()> done, QEventLoop& loop)
        : inner_(inner), done_(std::move(done)), loop_(loop) {}
    void onMeasured(std::int64_t bytes) override {
        inner_.onMeasured(bytes);
        if (done_()) loop_.quit();
    }
    void onMeasureFailed(const std::string& reason) override {
        inner_.onMeasureFailed(reason);
        if (done_()) loop_.quit();
    }

private:
    MeasurementClient& inner_;
    std::function<bool()> done_;
    QEventLoop& loop_;
};

bool loadListsOrReport(const std::string& folder, StartupLists& startup) {
    startup = loadProgramLists(folder);
    for (const std::string& problem : startup.problems) std::cerr << "boardcast: " << problem << "\n";
    return startup.lists.postsLoaded;
}

}  // namespace

int runWatch(const std::string& folder, const std::string& url) {
    StartupLists startup;
    if (!loadListsOrReport(folder, startup)) return 1;
    ProgramLists& lists = startup.lists;

    StderrPanels panels({2}, true);
    QtProbeSocket socket;
    PageProbe probe(socket, panels);
    PostWatcher watcher(lists.posts, probe, panels);
    QEventLoop loop;
    QuitAfter waiter(watcher, [] { return true; }, loop);
    probe.setClient(&waiter);

    int index = watcher.watchCurrentPage(url);
    if (index < 0) {
        if (std::string reason = PostWatcher::refusedReason(url); !reason.empty()) {
            std::cerr << "boardcast: " << reason << "; it was not added.\n";
        } else {
            std::cerr << "boardcast: the list of watched posts is full; " << url
                      << " was not added.\n";
        }
        return kExitFailure;
    }
    loop.exec();

    int status = 0;
    for (const Error& e : saveProgramLists(folder, lists)) {
        std::cerr << "boardcast: " << e.text << "\n";
        status = 1;
    }
    if (!watcher.lastFailure().empty()) {
        std::cerr << "boardcast: " << url << " was added but could not be measured: "
                  << watcher.lastFailure() << "\n";
        return 1;
    }
    int now = lists.posts.indexOfWatched(url);
    if (now >= 0) std::cout << url << '\t' << lists.posts.at(now).size << '\n';
    return status;
}

int runCheck(const std::string& folder, int jobs) {
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
    ParallelCheck check(measurers, panels);
    QEventLoop loop;
    check.start(startup.lists.posts, [&loop] { loop.quit(); });
    if (check.running()) loop.exec();

    for (const std::string& post : check.newReplies()) std::cout << post << '\n';
    std::cout.flush();
    const std::vector<CheckFailure> failures = check.failures();
    for (const CheckFailure& f : failures) {
        std::cerr << "boardcast: could not check " << f.address << ": " << f.reason << "\n";
    }
    if (!std::cout) return kExitFailure;
    return failures.empty() ? 0 : kExitSomeFailed;
}

}  // namespace boardcast
