#pragma once
// The reply check of the command line and of the desktop program: up to as many
// posts are fetched together as there are measurers, at most perHost of them from one host,
// and the results come out in list order, the same as one measurer gives. The watched posts
// are taken as they stand when the run starts. Each post's thread is checked on its latest
// page where that is known (see checkTargetOf), and on the post's own page when the latest
// page cannot be fetched.
//
// Scheduling: the waiting posts of each host form a queue in list order, and the hosts that
// have waiting posts and room under the limit stand in a heap by their next post's place in
// the list. An idle measurer takes the first post of the heap's top host, so starting a
// post costs log(hosts), never a scan of the list, and the list is still taken in order
// as far as the per-host limit allows.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/watching/measurement.h"
#include "core/watching/reply_check.h"
#include "core/watching/watch_lists.h"

namespace boardcast {

// The host part of an address, the key for the per-host limit: what stands between the
// scheme's "//" and the next "/", "?" or "#", in lower case.
std::string hostKey(const std::string& address);

// Pages fetched at once unless the user says otherwise, and at most from one host: what
// browsers allow a site.
inline constexpr int kDefaultJobs = 8;
inline constexpr int kDefaultPerHost = 6;

// How far a run has come: posts started of all, and at its end what it found.
struct CheckProgress {
    enum class Phase { Running, Finished, Stopped } phase = Phase::Running;
    int started = 0;
    int total = 0;
    int newReplies = 0;  // threads with new replies
    int failed = 0;      // posts that could not be checked
};
// Panel 1's text: "checking N of M", "finished - N new replies found" (with the posts that
// could not be checked), "check stopped - N new replies found".
std::string progressText(const CheckProgress& progress);

class ParallelCheck {
public:
    // The measurers must outlive the check; each measurer is told to report to it.
    explicit ParallelCheck(std::vector<PageMeasurer*> measurers, int perHost = kDefaultPerHost);
    ~ParallelCheck();

    // Starts a run over the posts; finished runs when the last post has been dealt with
    // (at once for an empty list).
    void start(const WatchList& posts, std::function<void()> finished);

    // Ends the run at once: the fetches still running are dropped, finished is not called,
    // and the progress says the check was stopped and what it found so far.
    void stop();

    bool running() const { return running_; }
    // The addresses of the posts found with new replies, in list order.
    std::vector<std::string> newReplies() const;
    // What was found in each of them, in list order.
    struct Found {
        std::string address;
        ThreadNews news;
    };
    std::vector<Found> found() const;

    // The names the user posts under, by host (lower case), beside those the watch list
    // learnt: the usernames of the user's forums. Taken at the next start.
    void setAccountNames(std::unordered_map<std::string, std::vector<std::string>> names) {
        accountNames_ = std::move(names);
    }
    std::vector<CheckFailure> failures() const;

    // Told of each post as it is dealt with: failure is empty when the page was fetched.
    void setPostOutcomeCallback(PostOutcome outcome) { outcome_ = std::move(outcome); }
    // Told of each page fetched, before its outcome.
    void setFetchedCallback(FetchedPage fetched) { fetched_ = std::move(fetched); }
    // Told when a post is found with new replies, and when a run starts or ends.
    void setChangedCallback(std::function<void()> changed) { changed_ = std::move(changed); }
    // Told as each post starts, and once when the run finishes or is stopped.
    using Progress = std::function<void(const CheckProgress&)>;
    void setProgressCallback(Progress progress) { progress_ = std::move(progress); }
    // The callbacks and account names of another check, which is being replaced.
    void takeCallbacksOf(ParallelCheck& old);

private:
    struct Slot;
    struct Post {
        std::string address;
        CheckTarget target;
        CheckTarget own;  // fetched instead when the latest page cannot be
        size_t host = 0;  // index into hosts_
        enum class State {
            Waiting,
            Fetching,
            NewReplies,
            Unchanged,
            Failed
        } state = State::Waiting;
        std::string failure{};
        FailureKind failureKind = FailureKind::Unreachable;
        ThreadNews news{};
    };
    struct Host {
        std::vector<size_t> waiting;  // its posts in list order; next is the first not taken
        size_t next = 0;
        int fetching = 0;
        bool ready = false;  // in readyHosts_
        bool hasWaiting() const { return next < waiting.size(); }
    };
    void fill();
    void report(CheckProgress::Phase phase);
    // Either the page or the failure.
    void done(Slot& slot, const MeasuredPage* page, const MeasureFailure* failure);
    void makeReady(size_t host);            // into the heap, when it has waiting posts and room
    size_t hostOf(const std::string& url);  // its host's index in hosts_, added when new

    std::vector<std::unique_ptr<Slot>> slots_;
    std::vector<Slot*> idle_;
    Progress progress_;
    int perHost_;
    std::vector<Post> posts_;
    std::vector<Host> hosts_;
    std::unordered_map<std::string, size_t> hostByKey_;  // hostKey -> index into hosts_
    // Hosts that may start a post, as (next post's place in the list, host), smallest on top.
    std::vector<std::pair<size_t, size_t>> readyHosts_;
    size_t remaining_ = 0;
    size_t started_ = 0;  // posts handed to a measurer in this run
    bool running_ = false;
    bool filling_ = false;
    std::function<void()> finished_;
    PostOutcome outcome_;
    FetchedPage fetched_;
    std::function<void()> changed_;
    std::unordered_map<std::string, std::vector<std::string>> accountNames_;
};

}  // namespace boardcast
