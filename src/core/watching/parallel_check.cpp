#include "core/watching/parallel_check.h"

#include <algorithm>
#include <optional>

namespace boardcast {

// A measurer and the post it is fetching.
struct ParallelCheck::Slot final : MeasurementClient {
    Slot(ParallelCheck& owner, PageMeasurer& measurer) : owner(owner), measurer(measurer) {
        measurer.setClient(this);
    }
    void onMeasured(std::int64_t bodyBytes) override { owner.done(*this, bodyBytes, {}); }
    void onMeasureFailed(const std::string& reason) override {
        owner.done(*this, std::nullopt, reason);
    }

    ParallelCheck& owner;
    PageMeasurer& measurer;
    std::optional<size_t> post;  // the index it is fetching
};

std::string hostKey(const std::string& address) {
    const size_t scheme = address.find("://");
    const size_t start = scheme == std::string::npos ? 0 : scheme + 3;
    std::string host = address.substr(start, address.find('/', start) - start);
    std::transform(host.begin(), host.end(), host.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return host;
}

ParallelCheck::ParallelCheck(std::vector<PageMeasurer*> measurers, StatusPanels& status,
                             int perHost)
    : status_(status), perHost_(std::max(1, perHost)) {
    for (PageMeasurer* measurer : measurers) slots_.push_back(std::make_unique<Slot>(*this, *measurer));
}

ParallelCheck::~ParallelCheck() {
    for (auto& slot : slots_) slot->measurer.setClient(nullptr);
}

void ParallelCheck::start(const WatchList& posts, std::function<void()> finished) {
    finished_ = std::move(finished);
    posts_.clear();
    for (const WatchedPost& p : posts.posts()) posts_.push_back({p.address, p.size, hostKey(p.address)});
    remaining_ = posts_.size();
    inFlight_.clear();
    running_ = true;
    for (auto& slot : slots_) slot->post.reset();
    fill();
}

// Hands waiting posts, in list order, to idle measurers, keeping to the per-host limit.
void ParallelCheck::fill() {
    if (remaining_ == 0) {
        if (!running_) return;
        running_ = false;
        const auto failed = failures();
        status_.setPanelText(1, checkSummary(static_cast<int>(newReplies().size()),
                                             static_cast<int>(failed.size())));
        if (finished_) finished_();
        return;
    }
    for (auto& slot : slots_) {
        if (slot->post) continue;
        for (size_t i = 0; i < posts_.size(); ++i) {
            Post& post = posts_[i];
            if (post.state != Post::State::Waiting) continue;
            int& fetching = inFlight_[post.host];
            if (fetching >= perHost_) continue;
            ++fetching;
            post.state = Post::State::Fetching;
            slot->post = i;
            status_.setPanelText(1, "checking post " + std::to_string(i + 1));
            slot->measurer.startMeasuring(post.address);
            // The outcome may have come at once and started the next post already.
            break;
        }
    }
}

void ParallelCheck::done(Slot& slot, std::optional<std::int64_t> bodyBytes,
                         const std::string& failure) {
    if (!running_ || !slot.post) return;
    Post& post = posts_[*slot.post];
    slot.post.reset();
    --inFlight_[post.host];
    if (bodyBytes) {
        post.state = hasNewReplies(*bodyBytes, post.baseline) ? Post::State::NewReplies
                                                              : Post::State::Unchanged;
    } else {
        post.state = Post::State::Failed;
        post.failure = failure;
    }
    --remaining_;
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
