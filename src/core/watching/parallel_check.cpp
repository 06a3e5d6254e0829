#include "core/watching/parallel_check.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

namespace boardcast {

// A measurer and the post it is fetching.
struct ParallelCheck::Slot final : MeasurementClient {
    Slot(ParallelCheck& owner, PageMeasurer& measurer) : owner(owner), measurer(measurer) {
        measurer.setClient(this);
    }
    void onMeasured(const MeasuredPage& page) override { owner.done(*this, &page, {}); }
    void onMeasureFailed(const std::string& reason) override { owner.done(*this, nullptr, reason); }

    ParallelCheck& owner;
    PageMeasurer& measurer;
    std::optional<size_t> post;  // the index it is fetching
};

std::string hostKey(const std::string& address) {
    const size_t scheme = address.find("://");
    const size_t start = scheme == std::string::npos ? 0 : scheme + 3;
    std::string host = address.substr(start, address.find_first_of("/?#", start) - start);
    std::transform(host.begin(), host.end(), host.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return host;
}

ParallelCheck::ParallelCheck(std::vector<PageMeasurer*> measurers, StatusPanels& status,
                             int perHost)
    : status_(status), perHost_(std::max(1, perHost)) {
    for (PageMeasurer* measurer : measurers)
        slots_.push_back(std::make_unique<Slot>(*this, *measurer));
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
        const size_t host = hostOf(target.url);
        hosts_[host].waiting.push_back(posts_.size());
        posts_.push_back({p.address, std::move(target), ownTargetOf(p), host});
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
        status_.setPanelText(
            1, "checking " + std::to_string(++started_) + " of " + std::to_string(posts_.size()));
        slot->measurer.startMeasuring(post.target.url);
    }
    filling_ = false;
    if (running_ && remaining_ == 0) {
        running_ = false;
        const auto failed = failures();
        // Panel 2 ends on the last failure in list order, whichever probe failed last.
        status_.setPanelText(2, lastFailureText(failed));
        status_.setPanelText(1, checkSummary(static_cast<int>(newReplies().size()),
                                             static_cast<int>(failed.size())));
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
    status_.setPanelText(
        1, "check stopped - " + std::to_string(newReplies().size()) + " new replies found");
    if (changed_) changed_();
}

void ParallelCheck::done(Slot& slot, const MeasuredPage* page, const std::string& failure) {
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
        post.state =
            showsNewReplies(*page, post.target) ? Post::State::NewReplies : Post::State::Unchanged;
    } else {
        post.state = Post::State::Failed;
        post.failure = failure;
    }
    --remaining_;
    const std::string address = post.address;  // the callbacks may start another run
    const bool grown = post.state == Post::State::NewReplies;
    if (page && fetched_) fetched_(address, *page, post.target);
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

std::vector<CheckFailure> ParallelCheck::failures() const {
    std::vector<CheckFailure> failed;
    for (const Post& p : posts_) {
        if (p.state == Post::State::Failed) failed.push_back({p.address, p.failure});
    }
    return failed;
}

}  // namespace boardcast
