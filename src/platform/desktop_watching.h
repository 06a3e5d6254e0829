#pragma once
// The desktop program's side of the watch list: the watching service both programs share,
// "Watch This Post" (the post watcher), the reply check with its settings and its timer, the
// throttle that keeps the check's progress from flooding the status bar, and what the last
// fetches told of each post. It knows no window: it writes status texts to the panels it is
// given and tells its owner through Events what to show anew.

#include <QObject>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/shell/list_entries.h"
#include "core/storage/settings_store.h"
#include "core/watching/check_settings.h"
#include "core/watching/reply_notice.h"
#include "platform/throttled_panels.h"

class QTimer;

namespace boardcast {

class PostWatcher;
class WatchingService;

class DesktopWatching final : public QObject {
    Q_OBJECT

public:
    // Each event runs on the UI thread; none may destroy this.
    struct Events {
        std::function<void(const std::string& address)> postChanged;   // its entry changed
        std::function<void(const std::string& address)> postMeasured;  // a baseline arrived
        std::function<void()> checkChanged;  // the threads found, or whether a check runs
        std::function<void()> checkDue;      // the timer: a check should start now
    };

    // panels, posts and settings must outlive this. The check's settings are read from
    // settings here.
    DesktopWatching(StatusPanels& panels, WatchList& posts, SettingsStore& settings, Events events,
                    QObject* parent = nullptr);
    ~DesktopWatching() override;

    WatchingService& service() { return *service_; }
    PostWatcher& watcher() { return *watcher_; }
    const PostMarks& marks() const { return marks_; }

    // "Watch This Post" for address; postedNow: the user's message was found on the page, so
    // the name the user posts under there is learnt. An error says why it cannot be watched;
    // its code is Limit when the list is full, which the user must act on.
    Status watch(const std::string& address, bool postedNow);
    // "Remove Watch" for the posts at rows, in list order.
    void removeWatches(const std::vector<int>& rows);

    // The check's settings. setSettings keeps them within range and puts them in force: the
    // number of pages at once from the next check (a running one goes on as it started),
    // the logged-in setting from the next page, the timer at once. They are in force even
    // when storing them fails; the failure is returned.
    const CheckSettings& settings() const { return settings_; }
    Status setSettings(const CheckSettings& wanted);

    // Starts a check over the list as it stands now, with the names the user posts under by
    // host; finished runs at its end.
    using AccountNames = std::unordered_map<std::string, std::vector<std::string>>;
    void startCheck(AccountNames names, std::function<void()> finished);
    bool checkRunning() const;
    // Stops a running check; false when none ran.
    bool stopCheck();

    // The threads the last check found with new replies, as the user is told of them.
    std::vector<ThreadWithNews> threadsWithNews() const;
    // The user opens a thread the last check found: its posts count as seen from now on,
    // and the address of its first new post is returned (the thread's own when the post has
    // none). Nothing when the check found no post of it to mark.
    std::optional<std::string> markRepliesSeen(const std::string& address);

private:
    void connectCheck();
    void applyTimer();
    void rebuildCheck();

    WatchList& posts_;
    SettingsStore& store_;
    Events events_;
    CheckSettings settings_;
    bool rebuildPending_ = false;
    PostMarks marks_;
    // The probes report into the panels: they go after the service.
    ThrottledPanels checkPanels_;
    std::unique_ptr<WatchingService> service_;
    std::unique_ptr<PostWatcher> watcher_;
    QTimer* timer_ = nullptr;
};

}  // namespace boardcast
