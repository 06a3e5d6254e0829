#pragma once
// Hands the reply check's texts to a window's status panels. Progress (panel 1's "checking N
// of M", the probes' phase texts in panel 2 and download counts in panel 3), which eight
// probes would otherwise change thousands of times a second, reaches the screen at most four
// times a second, the latest text of each panel last. The end of a check shows at once, and
// the probes' texts still held back are dropped: nothing of a page fetched stays on show.

#include <QElapsedTimer>
#include <QTimer>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "core/watching/measurement.h"
#include "core/watching/parallel_check.h"

namespace boardcast {

class ThrottledPanels final : public StatusPanels {
public:
    static constexpr int kIntervalMs = 250;

    // shown must outlive this.
    explicit ThrottledPanels(StatusPanels& shown);

    // The probes' texts (panels 2 and 3).
    void setPanelText(int panel, const std::string& text) override;
    // The check's progress; at its end, failures give panel 2 its text.
    void setProgress(const CheckProgress& progress, const std::vector<CheckFailure>& failures);

private:
    void hold(int panel, const std::string& text);
    void flush();

    StatusPanels& shown_;
    QTimer timer_;
    QElapsedTimer sinceShown_;
    std::array<std::optional<std::string>, 3> pending_;  // by panel
    bool ended_ = false;  // a check has ended: late texts of its probes are not shown
};

}  // namespace boardcast
