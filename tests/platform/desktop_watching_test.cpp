// The desktop program's watch list engine without a window: the check's settings and timer,
// and the throttle between the check's progress and the status bar.

#include "platform/desktop_watching.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include "failing_settings.h"

namespace boardcast {
namespace {

class RecordedPanels final : public StatusPanels {
public:
    void setPanelText(int panel, const std::string& text) override {
        shown.emplace_back(panel, text);
    }
    std::vector<std::pair<int, std::string>> shown;
};

void runEventsFor(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

TEST(ThrottledPanels, ProgressReachesThePanelsAFewTimesASecondAndTheEndAtOnce) {
    RecordedPanels panels;
    ThrottledPanels throttle(panels);
    for (int i = 1; i <= 500; ++i) {
        throttle.setProgress({CheckProgress::Phase::Running, i, 500}, {});
        throttle.setPanelText(2, "page " + std::to_string(i));
        throttle.setPanelText(1, "not a probe's panel");
    }
    EXPECT_TRUE(panels.shown.empty());
    runEventsFor(ThrottledPanels::kIntervalMs + 100);
    // One flush, each panel's latest text only.
    ASSERT_EQ(panels.shown.size(), 2u);
    EXPECT_EQ(panels.shown[0], (std::pair<int, std::string>{1, "checking 500 of 500"}));
    EXPECT_EQ(panels.shown[1], (std::pair<int, std::string>{2, "page 500"}));

    panels.shown.clear();
    throttle.setPanelText(3, "held back");
    throttle.setProgress({CheckProgress::Phase::Finished, 500, 500}, {});
    ASSERT_EQ(panels.shown.size(), 3u);
    EXPECT_EQ(panels.shown[0].first, 1);
    EXPECT_EQ(panels.shown[2], (std::pair<int, std::string>{3, ""}));
    // The probes' late texts are dropped, before and after the end.
    throttle.setPanelText(2, "a late page");
    runEventsFor(ThrottledPanels::kIntervalMs + 100);
    EXPECT_EQ(panels.shown.size(), 3u);
}

TEST(DesktopWatching, SettingsAreKeptInRangeStoredAndRunTheTimer) {
    RecordedPanels panels;
    WatchList posts;
    MemorySettingsStore store;
    int due = 0;
    DesktopWatching::Events events;
    events.checkDue = [&due] { ++due; };
    DesktopWatching watching(panels, posts, store, std::move(events));
    auto* timer = watching.findChild<QTimer*>(QStringLiteral("checkTimer"));
    ASSERT_NE(timer, nullptr);
    EXPECT_FALSE(timer->isActive());

    struct Row {
        CheckSettings wanted;
        CheckSettings inForce;
        bool timerOn;
    };
    const Row rows[] = {
        {{4, 2, 30, true}, {4, 2, 30, true}, true},
        {{99, 0, 3, false}, {kMaxCheckJobs, 1, kMinCheckMinutes, false}, true},
        {{2, 2, 0, true}, {2, 2, 0, true}, false},
    };
    for (const Row& row : rows) {
        EXPECT_TRUE(watching.setSettings(row.wanted));
        EXPECT_EQ(watching.settings(), row.inForce);
        EXPECT_EQ(loadCheckSettings(store), row.inForce);
        EXPECT_EQ(timer->isActive(), row.timerOn);
        if (row.timerOn) {
            EXPECT_EQ(timer->interval(), row.inForce.everyMinutes * 60 * 1000);
        }
    }

    // When the timer runs out, a check is asked for.
    timer->start(1);
    runEventsFor(50);
    EXPECT_GE(due, 1);
}

TEST(DesktopWatching, SettingsThatCannotBeStoredAreInForceAllTheSame) {
    RecordedPanels panels;
    WatchList posts;
    testing_support::FailingSettingsStore store;
    store.failing = true;
    DesktopWatching watching(panels, posts, store, {});
    const Status stored = watching.setSettings({3, 1, 20, false});
    EXPECT_FALSE(stored);
    EXPECT_EQ(watching.settings(), (CheckSettings{3, 1, 20, false}));
    EXPECT_TRUE(watching.findChild<QTimer*>(QStringLiteral("checkTimer"))->isActive());
}

}  // namespace
}  // namespace boardcast
