#include "core/watching/parallel_check.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

#include "core/text/ascii.h"

namespace boardcast {

// A measurer and the post it is fetching.
struct ParallelCheck::Slot final : MeasurementClient {
    Slot(ParallelCheck& owner, PageMeasurer& measurer) : owner(owner), measurer(measurer) {
        measurer.setClient(this);
    }
    void onMeasured(const MeasuredPage& page) override { owner.done(*this, &page, nullptr); }
    void onMeasureFailed(const MeasureFailure& failure) override {
        owner.done(*this, nullptr, &failure);
    }

    ParallelCheck& owner;
    PageMeasurer& measurer;
    std::optional<size_t> post;  // the index it is fetching
};

std::string hostKey(const std::string& address) {
    const size_t scheme = address.find("://");
    const size_t start = scheme == std::string::npos ? 0 : scheme + 3;
    return asciiLowered(
        std::string_view(address).substr(start, address.find_first_of("/?#", start) - start));
}

std::string progressText(const CheckProgress& progress) {
    switch (progress.phase) {
        case CheckProgress::Phase::Running:
            return "checking " + std::to_string(progress.started) + " of " +
                   std::to_string(progress.total);
        case CheckProgress::Phase::Finished:
            return checkSummary(progress.newReplies, progress.failed);
        case CheckProgress::Phase::Stopped:
            return "check stopped - " + std::to_string(progress.newReplies) + " new replies found";
    }
    return {};
}

ParallelCheck::ParallelCheck(std::vector<PageMeasurer*> measurers, int perHost)
    : perHost_(std::max(1, perHost)) {
    for (PageMeasurer* measurer : measurers)
        slots_.push_back(std::make_unique<Slot>(*this, *measurer));
}

void ParallelCheck::takeCallbacksOf(ParallelCheck& old) {
    outcome_ = std::move(old.outcome_);
    fetched_ = std::move(old.fetched_);
    changed_ = std::move(old.changed_);
    progress_ = std::move(old.progress_);
    accountNames_ = std::move(old.accountNames_);
}

ParallelCheck::~ParallelCheck() {
    for (auto& slot : slots_) slot->measurer.setClient(nullptr);
}

void ParallelCheck::start(const WatchList& posts, std::function<void()> finished) {
    finished_ = std::move(finished);
    posts_.clear();
    hosts_.clear();
    readyHosts_.clear();
    hostByKey_.clear();
    for (int i = 0; i < posts.count(); ++i) {
        const WatchedPost& p = posts.at(i);
        CheckTarget target = checkTargetOf(posts, i);
        if (const auto names = accountNames_.find(hostKey(p.address)); names != accountNames_.end())
            target.ownNames.insert(target.ownNames.end(), names->second.begin(),
                                   names->second.end());
        CheckTarget own = ownTargetOf(p);
        own.seenPostId = target.seenPostId;
        own.ownNames = target.ownNames;
        const size_t host = hostOf(target.url);
        hosts_[host].waiting.push_back(posts_.size());
        posts_.push_back({p.address, std::move(target), std::move(own), host});
    }
    remaining_ = posts_.size();
    started_ = 0;
    running_ = true;
    if (changed_) changed_();
    idle_.clear();
    for (auto& slot : slots_) {
        slot->post.reset();
        idle_.push_back(slot.get());
    }
    std::reverse(idle_.begin(), idle_.end());  // the first measurer is used first
    for (size_t h = 0; h < hosts_.size(); ++h) makeReady(h);
    fill();
}

size_t ParallelCheck::hostOf(const std::string& url) {
    const auto [it, added] = hostByKey_.try_emplace(hostKey(url), hosts_.size());
    if (added) hosts_.emplace_back();
    return it->second;
}

void ParallelCheck::makeReady(size_t host) {
    Host& h = hosts_[host];
    if (h.ready || !h.hasWaiting() || h.fetching >= perHost_) return;
    h.ready = true;
    readyHosts_.emplace_back(h.waiting[h.next], host);
    std::push_heap(readyHosts_.begin(), readyHosts_.end(), std::greater<>());
}

// Hands waiting posts to idle measurers, first in list order among the hosts with room.
// An answer that comes within startMeasuring does not start a fill of its own: the loop
// takes the freed measurer up, so a list of failing addresses cannot deepen the stack.
void ParallelCheck::fill() {
    if (filling_) return;
    filling_ = true;
    while (running_ && !idle_.empty() && !readyHosts_.empty()) {
        std::pop_heap(readyHosts_.begin(), readyHosts_.end(), std::greater<>());
        const size_t hostIndex = readyHosts_.back().second;
        readyHosts_.pop_back();
        Host& host = hosts_[hostIndex];
        host.ready = false;
        const size_t i = host.waiting[host.next++];
        ++host.fetching;
        makeReady(hostIndex);

        Slot* slot = idle_.back();
        idle_.pop_back();
        Post& post = posts_[i];
        post.state = Post::State::Fetching;
        slot->post = i;
        ++started_;
        report(CheckProgress::Phase::Running);
        slot->measurer.startMeasuring(post.target.url);
    }
    filling_ = false;
    if (running_ && remaining_ == 0) {
        running_ = false;
        report(CheckProgress::Phase::Finished);
        if (changed_) changed_();
        if (finished_) finished_();
    }
}

void ParallelCheck::stop() {
    if (!running_) return;
    running_ = false;
    readyHosts_.clear();
    for (auto& slot : slots_) {
        if (slot->post) slot->measurer.stopMeasuring();
        slot->post.reset();
    }
    report(CheckProgress::Phase::Stopped);
    if (changed_) changed_();
}

void ParallelCheck::report(CheckProgress::Phase phase) {
    if (!progress_) return;
    CheckProgress p;
    p.phase = phase;
    p.started = static_cast<int>(started_);
    p.total = static_cast<int>(posts_.size());
    if (phase != CheckProgress::Phase::Running) {
        for (const Post& post : posts_) {
            p.newReplies += post.state == Post::State::NewReplies ? 1 : 0;
            p.failed += post.state == Post::State::Failed ? 1 : 0;
        }
    }
    progress_(p);
}

void ParallelCheck::done(Slot& slot, const MeasuredPage* page, const MeasureFailure* failure) {
    if (!running_ || !slot.post) return;
    const size_t index = *slot.post;
    Post& post = posts_[index];
    slot.post.reset();
    idle_.push_back(&slot);
    --hosts_[post.host].fetching;
    makeReady(post.host);
    if (!page && post.target.latest) {
        // The latest page is out of reach: the post's own page is checked instead, as one
        // more waiting post of its host.
        post.target = post.own;
        post.state = Post::State::Waiting;
        post.host = hostOf(post.target.url);
        hosts_[post.host].waiting.push_back(index);
        makeReady(post.host);
        --started_;  // counted again when it starts
        fill();
        return;
    }
    if (page) {
        post.news = threadNews(*page, post.target);
        post.state = post.news.any() ? Post::State::NewReplies : Post::State::Unchanged;
    } else {
        post.state = Post::State::Failed;
        post.failure = failure->reason;
        post.failureKind = failure->kind;
    }
    --remaining_;
    const std::string address = post.address;  // the callbacks may start another run
    const bool grown = post.state == Post::State::NewReplies;
    if (page && fetched_) fetched_(address, *page, post.target, post.news);
    if (outcome_) outcome_(address, failure);
    if (grown && changed_) changed_();
    fill();
}

std::vector<std::string> ParallelCheck::newReplies() const {
    std::vector<std::string> found;
    for (const Post& p : posts_) {
        if (p.state == Post::State::NewReplies) found.push_back(p.address);
    }
    return found;
}

std::vector<ParallelCheck::Found> ParallelCheck::found() const {
    std::vector<Found> found;
    for (const Post& p : posts_) {
        if (p.state == Post::State::NewReplies) found.push_back({p.address, p.news});
    }
    return found;
}

std::vector<CheckFailure> ParallelCheck::failures() const {
    std::vector<CheckFailure> failed;
    for (const Post& p : posts_) {
        if (p.state == Post::State::Failed) failed.push_back({p.address, p.failure, p.failureKind});
    }
    return failed;
}

}  // namespace boardcast
