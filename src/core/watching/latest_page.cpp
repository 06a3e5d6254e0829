#include "core/watching/latest_page.h"

#include <algorithm>
#include <vector>

#include "core/text/ascii.h"
#include "core/watching/parallel_check.h"

namespace boardcast {

LatestPageFinder::LatestPageFinder(PageMeasurer& pages) : pages_(pages) {
    pages_.setClient(this);
}

LatestPageFinder::~LatestPageFinder() {
    pages_.setClient(nullptr);
}

void LatestPageFinder::startMeasuring(const std::string& url) {
    running_ = true;
    fetched_ = 0;
    visited_.clear();
    first_ = {};
    last_ = {};
    pages_.startMeasuring(url);
}

void LatestPageFinder::stopMeasuring() {
    running_ = false;
    pages_.stopMeasuring();
}

void LatestPageFinder::onMeasured(const MeasuredPage& page) {
    if (!running_) return;
    if (fetched_++ == 0) {
        first_ = page;
    } else if (first_.postsRead) {
        // The thread's posts, page after page; a page whose posts cannot be read ends them.
        if (page.postsRead) {
            first_.posts.insert(first_.posts.end(), page.posts.begin(), page.posts.end());
            first_.latestPostCount = page.latestPostCount;
        } else {
            first_.latestPostCount = -1;
        }
    }
    last_ = page;
    visited_.push_back(page.address);
    const std::string& next = page.nextPage;
    const bool follow = !next.empty() && fetched_ < kMaxFollowedPages &&
                        hostKey(next) == hostKey(page.address) &&
                        std::find(visited_.begin(), visited_.end(), next) == visited_.end();
    if (follow) {
        pages_.startMeasuring(next);
        return;
    }
    report();
}

void LatestPageFinder::onMeasureFailed(const MeasureFailure& failure) {
    if (!running_) return;
    if (fetched_ == 0) {
        running_ = false;
        if (client_) client_->onMeasureFailed(failure);
        return;
    }
    report();  // the last page reached stands as the latest
}

void LatestPageFinder::report() {
    running_ = false;
    MeasuredPage page = first_;
    page.latestPage = last_.address;
    page.latestBytes = last_.bodyBytes;
    page.latestNext = last_.nextPage;
    if (client_) client_->onMeasured(page);
}

namespace {

bool isPageOrPostParameter(std::string_view name) {
    static constexpr std::string_view kNames[] = {"p",     "page",   "pid",   "post",
                                                  "start", "offset", "action"};
    return std::find(std::begin(kNames), std::end(kNames), name) != std::end(kNames);
}

}  // namespace

std::string threadKey(const std::string& address) {
    const std::string_view whole = std::string_view(address).substr(0, address.find('#'));
    const size_t question = whole.find('?');
    std::string path(whole.substr(0, question));
    // ".../page-3" and ".../page-3/" name a page of the thread above them.
    {
        std::string_view trimmed = path;
        if (trimmed.ends_with('/')) trimmed.remove_suffix(1);
        const size_t slash = trimmed.rfind('/');
        const std::string_view last =
            trimmed.substr(slash == std::string_view::npos ? 0 : slash + 1);
        if (last.starts_with("page-") && isAsciiDigits(last.substr(5)))
            path = std::string(trimmed.substr(0, slash + 1));
    }
    if (question == std::string_view::npos) return path;
    std::string query;
    std::string_view rest = whole.substr(question + 1);
    while (!rest.empty()) {
        const size_t end = std::min(rest.find_first_of("&;"), rest.size());
        std::string_view pair = rest.substr(0, end);
        rest = end < rest.size() ? rest.substr(end + 1) : std::string_view();
        const size_t eq = pair.find('=');
        const std::string_view name = pair.substr(0, eq);
        if (pair.empty() || isPageOrPostParameter(name)) continue;
        std::string kept(pair);
        if (name == "topic" && eq != std::string_view::npos) {
            // "topic=3.15", "topic=3.msg5", "topic=3.new": the thread is 3.
            const std::string_view value = pair.substr(eq + 1);
            kept = std::string(name) + "=" + std::string(value.substr(0, value.find('.')));
        }
        query += (query.empty() ? "" : "&") + kept;
    }
    if (query.empty()) return {};
    return path + "?" + query;
}

}  // namespace boardcast
