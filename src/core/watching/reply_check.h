#pragma once
// What a reply check judges and says: new replies (more than 500 bytes of growth over the
// baseline), the posts that could not be fetched, and the texts of the end of a run. The
// check itself is ParallelCheck.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/watching/measurement.h"
#include "core/watching/watch_lists.h"

namespace boardcast {

inline constexpr std::int64_t kNewReplyThreshold = 500;

// Whether a fresh body byte count means new replies against the stored baseline text: more
// than 500 bytes of growth, or a baseline that is not a number.
bool hasNewReplies(std::int64_t bodyBytes, const std::string& baseline);

// Records what a fetch of a watched post's page learnt in its details: its title (when the
// page has one), the time, its size, and, when the page shows new replies that it did not
// show at the last fetch, the time of that growth.
void noteFetchedPage(WatchList& posts, const std::string& address, const MeasuredPage& page,
                     std::int64_t now);

// A post whose page could not be fetched, and why.
struct CheckFailure {
    std::string address;
    std::string reason;
};

// Panel 1 at the end of a run: "finished - N new replies found", and how many posts could
// not be checked when some could not.
std::string checkSummary(int newReplies, int failed);

// Panel 2 at the end of a run: the last failure's text, or nothing.
std::string lastFailureText(const std::vector<CheckFailure>& failures);

// Told of each post a check or a measurement has dealt with: failure is empty when the page
// was fetched, else the reason it could not be.
using PostOutcome = std::function<void(const std::string& address, const std::string& failure)>;
// Told of each page a check fetched.
using FetchedPage = std::function<void(const std::string& address, const MeasuredPage& page)>;

}  // namespace boardcast
