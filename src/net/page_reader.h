#pragma once
// What a probe learns from a fetched page's body (its title, the links that lead on through
// its thread, its posts, and whether it is the thread at all), and the reader that learns
// it. Reading a page costs more than fetching it over a fast connection, so the programs
// read on a worker thread (platform/threaded_page_reader.h); the probe only asks and waits.

#include <functional>
#include <string>

#include "net/page_facts.h"
#include "net/thread_posts.h"

namespace boardcast {

// What the answer's header said, which decides with the body whether it is the thread.
struct PageContext {
    int status = 200;
    bool cfChallenge = false;  // "cf-mitigated: challenge"
    bool redirected = false;   // the address asked for led here through redirections
};

struct PageFacts {
    std::string title;
    PageLinks links;
    ThreadPosts posts;
    PageProblem problem = PageProblem::None;
};

// Reads one body; pure, and safe to call on any thread.
PageFacts readPageFacts(std::string body, const PageContext& context);

class PageReader {
public:
    virtual ~PageReader() = default;
    using Done = std::function<void(PageFacts facts)>;
    // Reads the body and gives its facts to done, on the thread that asked: at once, or
    // later from that thread's event loop. Results the caller no longer wants are the
    // caller's to drop.
    virtual void read(std::string body, const PageContext& context, Done done) = 0;
};

// Reads at once, on the caller's thread.
class ImmediatePageReader final : public PageReader {
public:
    void read(std::string body, const PageContext& context, Done done) override {
        done(readPageFacts(std::move(body), context));
    }
};

}  // namespace boardcast
