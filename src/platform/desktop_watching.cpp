#include "platform/desktop_watching.h"

#include <QTimer>

#include "core/text/address_text.h"
#include "core/watching/post_watcher.h"
#include "core/watching/reply_check.h"
#include "platform/watching_service.h"

namespace boardcast {

DesktopWatching::DesktopWatching(StatusPanels& panels, WatchList& posts, SettingsStore& settings,
                                 Events events, QObject* parent)
    : QObject(parent),
      posts_(posts),
      store_(settings),
      events_(std::move(events)),
      settings_(loadCheckSettings(settings)),
      checkPanels_(panels) {
    // "Watch This Post"'s probe reports straight to the panels; the check's through the
    // throttle.
    service_ =
        std::make_unique<WatchingService>(panels, checkPanels_, settings_.jobs, settings_.perHost);
    service_->setLoggedIn(settings_.asLoggedInUser);
    watcher_ = std::make_unique<PostWatcher>(posts_, service_->measurer(), panels);
    watcher_->setPostOutcomeCallback(
        [this](const std::string& address, const MeasureFailure* failure) {
            marks_.noteOutcome(address, failure);
            if (events_.postChanged) events_.postChanged(address);
            if (!failure && events_.postMeasured) events_.postMeasured(address);
        });
    connectCheck();
    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("checkTimer"));
    connect(timer_, &QTimer::timeout, this, [this] {
        if (!checkRunning() && events_.checkDue) events_.checkDue();
    });
    applyTimer();
}

DesktopWatching::~DesktopWatching() {
    // The watcher measures with the service's probe: it goes first.
    watcher_.reset();
    service_.reset();
}

// The check's callbacks are kept when its engine is built anew.
void DesktopWatching::connectCheck() {
    ParallelCheck& check = service_->check();
    check.setChangedCallback([this] {
        if (events_.checkChanged) events_.checkChanged();
    });
    check.setProgressCallback([this](const CheckProgress& progress) {
        checkPanels_.setProgress(progress, service_->check().failures());
    });
    check.setPostOutcomeCallback([this](const std::string& address, const MeasureFailure* failure) {
        marks_.noteOutcome(address, failure);
        if (events_.postChanged) events_.postChanged(address);
    });
    check.setFetchedCallback([this](const std::string& address, const MeasuredPage& page,
                                    const CheckTarget& target, const ThreadNews&) {
        noteFetchedPage(posts_, address, page, target, secondsNow());
        // Checked on its own page although a latest page was known: that was out of reach.
        marks_.noteFallBack(address,
                            !target.latest && !posts_.detailsOf(address).latestPage.empty());
        if (events_.postChanged) events_.postChanged(address);
    });
}

Status DesktopWatching::watch(const std::string& address, bool postedNow) {
    if (watcher_->watchCurrentPage(address, postedNow) >= 0) return {};
    const bool refused = !PostWatcher::refusedReason(address).empty();
    return Error{refused ? ErrorCode::Usage : ErrorCode::Limit,
                 "Could not watch " + withHiddenPassword(address) + ": " + watcher_->lastFailure()};
}

void DesktopWatching::removeWatches(const std::vector<int>& rows) {
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) watcher_->removeWatch(*row);
}

Status DesktopWatching::setSettings(const CheckSettings& wanted) {
    const CheckSettings settings = withinRange(wanted);
    Status stored = storeCheckSettings(store_, settings);
    const bool engineChanged =
        settings.jobs != settings_.jobs || settings.perHost != settings_.perHost;
    settings_ = settings;
    service_->setLoggedIn(settings.asLoggedInUser);
    if (engineChanged) {
        if (checkRunning()) {
            rebuildPending_ = true;
        } else {
            rebuildCheck();
        }
    }
    applyTimer();
    return stored;
}

void DesktopWatching::rebuildCheck() {
    service_->rebuildCheck(settings_.jobs, settings_.perHost);
    rebuildPending_ = false;
}

void DesktopWatching::applyTimer() {
    if (settings_.everyMinutes > 0) {
        timer_->start(settings_.everyMinutes * 60 * 1000);
    } else {
        timer_->stop();
    }
}

void DesktopWatching::startCheck(AccountNames names, std::function<void()> finished) {
    if (rebuildPending_ && !checkRunning()) rebuildCheck();
    ParallelCheck& check = service_->check();
    check.setAccountNames(std::move(names));
    check.start(posts_, std::move(finished));
}

bool DesktopWatching::checkRunning() const {
    return service_->check().running();
}

bool DesktopWatching::stopCheck() {
    if (!checkRunning()) return false;
    service_->check().stop();
    return true;
}

std::vector<ThreadWithNews> DesktopWatching::threadsWithNews() const {
    std::vector<ThreadWithNews> threads;
    for (const ParallelCheck::Found& f : service_->check().found()) {
        threads.push_back({shownName(posts_, f.address), f.address, f.news});
    }
    return threads;
}

// A thread judged by its size whose posts could be read is judged by its posts from now on.
std::optional<std::string> DesktopWatching::markRepliesSeen(const std::string& address) {
    std::optional<std::string> shown;
    for (const ParallelCheck::Found& f : service_->check().found()) {
        if (f.address != address || f.news.newest.id.empty()) continue;
        const bool named = !f.news.posts.empty() && !f.news.posts.front().address.empty();
        shown = named ? f.news.posts.front().address : address;
        markSeen(posts_, address, f.news.newest);
    }
    return shown;
}

}  // namespace boardcast
