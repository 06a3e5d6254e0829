#include "platform/throttled_panels.h"

#include <algorithm>

namespace boardcast {

ThrottledPanels::ThrottledPanels(StatusPanels& shown) : shown_(shown) {
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { flush(); });
    sinceShown_.start();
}

void ThrottledPanels::setPanelText(int panel, const std::string& text) {
    if (panel < 2 || panel > 3 || ended_) return;
    hold(panel, text);
}

void ThrottledPanels::setProgress(const CheckProgress& progress,
                                  const std::vector<CheckFailure>& failures) {
    if (progress.phase == CheckProgress::Phase::Running) {
        ended_ = false;
        return hold(1, progressText(progress));
    }
    ended_ = true;
    timer_.stop();
    pending_ = {};
    shown_.setPanelText(1, progressText(progress));
    shown_.setPanelText(2, lastFailureText(failures));
    shown_.setPanelText(3, {});
}

void ThrottledPanels::hold(int panel, const std::string& text) {
    pending_[static_cast<size_t>(panel - 1)] = text;
    if (!timer_.isActive()) {
        timer_.start(static_cast<int>(std::max<qint64>(0, kIntervalMs - sinceShown_.elapsed())));
    }
}

void ThrottledPanels::flush() {
    timer_.stop();
    for (size_t i = 0; i < pending_.size(); ++i) {
        if (pending_[i]) shown_.setPanelText(static_cast<int>(i) + 1, *pending_[i]);
        pending_[i].reset();
    }
    sinceShown_.restart();
}

}  // namespace boardcast
