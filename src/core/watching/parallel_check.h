#pragma once
// A reply check over several page measurers at once, for the command line: up to as many
// posts are fetched together as there are measurers, at most perHost of them from one host,
// and the results come out in list order, the same as one measurer gives. The watched posts
// are taken as they stand when the run starts.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/watching/measurement.h"
#include "core/watching/reply_check.h"
#include "core/watching/watch_lists.h"

namespace boardcast {

// The host part of an address, the key for the per-host limit: what stands between the
// scheme's "//" and the next "/", in lower case.
std::string hostKey(const std::string& address);

class ParallelCheck {
public:
    // The measurers and the status panels must outlive the check; each measurer is told to
    // report to it.
    ParallelCheck(std::vector<PageMeasurer*> measurers, StatusPanels& status, int perHost = 2);
    ~ParallelCheck();

    // Starts a run over the posts; finished runs when the last post has been dealt with
    // (at once for an empty list).
    void start(const WatchList& posts, std::function<void()> finished);

    bool running() const { return running_; }
    // In list order.
    std::vector<std::string> newReplies() const;
    std::vector<CheckFailure> failures() const;

private:
    struct Slot;
    struct Post {
        std::string address, baseline, host;
        enum class State { Waiting, Fetching, NewReplies, Unchanged, Failed } state = State::Waiting;
        std::string failure{};
    };
    void fill();
    void done(Slot& slot, std::optional<std::int64_t> bodyBytes, const std::string& failure);

    std::vector<std::unique_ptr<Slot>> slots_;
    StatusPanels& status_;
    int perHost_;
    std::vector<Post> posts_;
    std::map<std::string, int> inFlight_;  // posts being fetched, by host
    size_t remaining_ = 0;
    bool running_ = false;
    std::function<void()> finished_;
};

}  // namespace boardcast
