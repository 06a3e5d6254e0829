// The headless commands that fetch pages: watch and check. Each runs an event loop until
// its probe has reported, with the real socket adapter.

#include <QCoreApplication>
#include <QEventLoop>
#include <functional>
#include <iostream>
#include <set>

#include "app/headless_commands.h"
#include "core/post_watcher.h"
#include "core/program_lists.h"
#include "core/reply_check.h"
#include "net/page_probe.h"
#include "platform/qt_probe_socket.h"

namespace boardcast {

namespace {

// Status panels on standard error: the chosen panels, and every failure of a probe.
class StderrPanels final : public StatusPanels {
public:
    explicit StderrPanels(std::set<int> panels) : panels_(std::move(panels)) {}
    void setPanelText(int panel, const std::string& text) override {
        bool failure = panel == 2 && text.starts_with("Could not reach ");
        if (!text.empty() && (panels_.count(panel) != 0 || failure)) std::cerr << text << "\n";
    }

private:
    std::set<int> panels_;
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

    StderrPanels panels({2});
    QtProbeSocket socket;
    PageProbe probe(socket, panels);
    PostWatcher watcher(lists.posts, probe, panels);
    QEventLoop loop;
    QuitAfter waiter(watcher, [] { return true; }, loop);
    probe.setClient(&waiter);

    int index = watcher.watchCurrentPage(url);
    if (index < 0) {
        std::cerr << "boardcast: the list of watched posts is full; " << url << " was not added.\n";
        return 1;
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

int runCheck(const std::string& folder) {
    StartupLists startup;
    if (!loadListsOrReport(folder, startup)) return 1;

    StderrPanels panels({1});
    QtProbeSocket socket;
    PageProbe probe(socket, panels);
    ReplyCheck check(startup.lists.posts, probe, panels);
    QEventLoop loop;
    QuitAfter waiter(check, [&check] { return !check.running(); }, loop);
    probe.setClient(&waiter);

    check.startReplyCheck();
    if (check.running()) loop.exec();
    for (const std::string& post : check.newReplies()) std::cout << post << '\n';
    std::cout.flush();
    return std::cout ? 0 : 1;
}

}  // namespace boardcast
