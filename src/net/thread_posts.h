#pragma once
// The posts of a thread page: who wrote each one and what it begins with, read with each
// forum engine's own markup (phpBB, MyBB, FluxBB, SMF, XenForo, vBulletin, NodeBB, Discourse,
// Flarum) or with schema.org's DiscussionForumPosting and Comment (microdata or JSON-LD); and
// the pages that stand where a thread should: a login notice, a bot challenge.

#include <string>
#include <string_view>
#include <vector>

#include "core/watching/measurement.h"

namespace boardcast {

class HtmlDocument;

// At most this many characters of a first line are kept.
inline constexpr size_t kMaxFirstLineChars = 200;

struct ThreadPosts {
    std::string engine;            // whose markup was read ("mybb", "microdata", ...); empty: none
    std::vector<ForumPost> posts;  // addresses as the page writes them, not yet resolved
};

// The posts of a page, in page order. Engine empty and no posts: the page's posts could not
// be read (not a thread, or an engine we do not know).
ThreadPosts readThreadPosts(const HtmlDocument& page);
ThreadPosts readThreadPosts(std::string_view html);

// Why a fetched page is not the thread it stands for; None when it may be the thread.
enum class PageProblem { None, Challenge, LoginRequired, Missing };

// A bot challenge: the header "cf-mitigated: challenge", or a 403, 429 or 503 page with a
// challenge's marks (the title "Just a moment...", Cloudflare's _cf_chl_opt or
// challenge-form, DDoS-Guard's check). A login notice: a page without posts that shows an
// engine's notice that the thread is for members who are logged in, or a page with a
// password field that the thread's address redirected to (NodeBB sends guests to /login).
// Missing: a page without
// posts that shows an engine's notice that the thread does not exist, which some engines
// send as a page like any other (200).
PageProblem pageProblem(const HtmlDocument& page, int status, bool cfMitigatedChallenge,
                        bool postsRead, bool redirected = false);

}  // namespace boardcast
