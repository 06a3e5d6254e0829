// Posts read from real thread pages (tests/data/forums: captured from engines run here, or
// stored real pages, each folder's README says which) and from small pages that try the
// tokenizer's corners.

#include "net/thread_posts.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

#include "core/watching/reply_check.h"

#include "net/html_document.h"

namespace boardcast {

void PrintTo(const ForumPost& p, std::ostream* out) {
    *out << "{" << p.id << " | " << p.author << " | " << p.firstLine << " | " << p.address << "}";
}

namespace {

std::string page(const std::string& file) {
    std::ifstream in(std::string(BOARDCAST_TEST_DATA "/forums/") + file, std::ios::binary);
    EXPECT_TRUE(in) << file;
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

struct Expected {
    size_t index;
    const char* id;
    const char* author;
    const char* firstLine;
    const char* address;  // as the page writes it
};

struct PageCase {
    const char* file;
    const char* engine;
    size_t posts;
    std::vector<Expected> rows;
};

void expectPosts(const PageCase& c) {
    SCOPED_TRACE(c.file);
    const ThreadPosts read = readThreadPosts(page(c.file));
    EXPECT_EQ(read.engine, c.engine);
    ASSERT_EQ(read.posts.size(), c.posts);
    for (const Expected& e : c.rows) {
        SCOPED_TRACE(e.id);
        const ForumPost& p = read.posts.at(e.index);
        EXPECT_EQ(p.id, e.id);
        EXPECT_EQ(p.author, e.author);
        EXPECT_EQ(p.firstLine, e.firstLine);
        EXPECT_EQ(p.address, e.address);
    }
}

// The first, a middle and the last page of threads captured from MyBB, FluxBB and SMF; the
// last one after a second member replied.
TEST(ThreadPosts, CapturedEnginesFirstMiddleAndLastPages) {
    const PageCase cases[] = {
        {"mybb/a-page1.html",
         "mybb",
         10,
         {{0, "2", "admin", "Post 1 of thread A. Opening post.", "showthread.php?tid=2&pid=2#pid2"},
          {9, "11", "admin", "Post 10 of thread A. Reply number 9.",
           "showthread.php?tid=2&pid=11#pid11"}}},
        {"mybb/a-page2.html",
         "mybb",
         10,
         {{0, "12", "admin", "Post 11 of thread A. Reply number 10.",
           "showthread.php?tid=2&pid=12#pid12"}}},
        {"mybb/a-page3-after.html",
         "mybb",
         6,
         {{5, "47", "member2", "Post 26 of thread A. A reply by a second member.",
           "showthread.php?tid=2&pid=47#pid47"}}},
        {"fluxbb/a-page1.html",
         "fluxbb",
         25,
         {{0, "3", "admin", "Post 1 of thread A. Opening post.", "viewtopic.php?pid=3#p3"}}},
        {"fluxbb/a-page3-after.html",
         "fluxbb",
         6,
         {{5, "108", "member2", "Post 56 of thread A. A reply by a second member.",
           "viewtopic.php?pid=108#p108"}}},
        {"smf/a-page2.html",
         "smf",
         15,
         {{0, "18", "admin", "Post 16 of thread A. Reply number 15.",
           "http://127.0.0.1:8083/index.php?msg=18"}}},
        {"smf/a-page3-after.html",
         "smf",
         6,
         {{5, "68", "member2", "Post 36 of thread A. A reply by a second member.",
           "http://127.0.0.1:8083/index.php?msg=68"}}},
    };
    for (const PageCase& c : cases) expectPosts(c);
}

// A second install of each: a reply that quotes the opening post (the quote is not the
// reply's text, its author not the reply's), a guest's reply, and a board's page.
TEST(ThreadPosts, CapturedQuotesGuestsAndPagesWithoutPosts) {
    const char* quoting = "Quote test by member2.";
    const char* guest = "Guest reply by Visitor.";
    const PageCase cases[] = {
        {"mybb/q-page1.html",
         "mybb",
         3,
         {{1, "2", "member2", quoting, "showthread.php?tid=1&pid=2#pid2"}}},
        {"mybb/g-page1.html",
         "mybb",
         2,
         {{1, "6", "Visitor", guest, "showthread.php?tid=2&pid=6#pid6"}}},
        {"fluxbb/q-page1.html",
         "fluxbb",
         3,
         {{1, "3", "member2", quoting, "viewtopic.php?pid=3#p3"}}},
        {"fluxbb/g-page1.html",
         "fluxbb",
         2,
         {{1, "7", "Visitor", guest, "viewtopic.php?pid=7#p7"}}},
        {"smf/q-page1.html",
         "smf",
         3,
         {{1, "3", "member2", quoting, "http://127.0.0.1:8083/index.php?msg=3"}}},
        {"smf/g-page1.html",
         "smf",
         2,
         {{1, "7", "Visitor", guest, "http://127.0.0.1:8083/index.php?msg=7"}}},
        {"nodebb/g-page1-guest-reply.html",
         "nodebb",
         2,
         {{1, "27", "Visitor", "Post 2 of thread G. A reply by a guest.", "/post/27"}}},
        {"nodebb/category-2.html", "", 0, {}},
        {"mybb/board.html", "", 0, {}},
        {"fluxbb/board.html", "", 0, {}},
        {"smf/board.html", "", 0, {}},
    };
    for (const PageCase& c : cases) expectPosts(c);
    // What each shows a guest in place of a thread for members, or of one that is gone.
    const std::pair<const char*, PageProblem> notices[] = {
        {"mybb/members-only.html", PageProblem::LoginRequired},
        {"smf/members-only.html", PageProblem::LoginRequired},
        {"mybb/missing.html", PageProblem::Missing},
        {"mybb/board.html", PageProblem::None},
    };
    for (const auto& [file, problem] : notices)
        EXPECT_EQ(pageProblem(HtmlDocument::parse(page(file)), 200, false, false), problem) << file;
    // NodeBB sends a guest from a members-only topic to its login page.
    const HtmlDocument login = HtmlDocument::parse(page("nodebb/p-login.html"));
    EXPECT_EQ(pageProblem(login, 200, false, false, true), PageProblem::LoginRequired);
    EXPECT_EQ(pageProblem(login, 200, false, false, false), PageProblem::None);
}

// Twenty fetches of one thread ten minutes long with nothing posted: the bytes drift
// (relative times, who is online, tokens), the posts do not, and no fetch shows a reply.
TEST(ThreadPosts, DriftingPagesShowNoNewReplies) {
    // NodeBB's drift (tokens, a view counter) keeps the size; the others' does not.
    for (const char* engine : {"mybb", "fluxbb", "smf", "nodebb"}) {
        SCOPED_TRACE(engine);
        std::set<size_t> sizes;
        CheckTarget target;
        for (int i = 1; i <= 20; ++i) {
            const std::string bytes = page(std::string(engine) + (i < 10 ? "/drift-0" : "/drift-") +
                                           std::to_string(i) + ".html");
            sizes.insert(bytes.size());
            MeasuredPage fetched(static_cast<std::int64_t>(bytes.size()));
            ThreadPosts read = readThreadPosts(bytes);
            fetched.postsRead = !read.engine.empty();
            fetched.posts = read.posts;
            if (i == 1) {
                target.seenPostId = newestPost(fetched.posts).id;
                target.baseline = std::to_string(bytes.size());
                ASSERT_FALSE(target.seenPostId.empty());
                continue;
            }
            const ThreadNews news = threadNews(fetched, target);
            EXPECT_TRUE(news.byPosts);
            EXPECT_FALSE(news.any()) << i;
        }
        EXPECT_GE(sizes.size(), std::string_view(engine) == "nodebb" ? 1u : 2u);
    }
}

// Stored real pages of engines that cannot be run here. Posts that quote another keep their
// own author and their own first line; a quote's "bob said in ...:" line is the quote's.
TEST(ThreadPosts, StoredRealPagesWithQuotes) {
    const PageCase cases[] = {
        {"phpbb/nettally-phpbb30.html",
         "phpbb",
         25,
         {{0, "2729870", "Jakob",
           "Good lecture. Believe me I know the clown part. It is strictly the tendency to be "
           "truthful that is always having the comical effect on people who believe in the moral "
           "righteousness of the State. Most",
           "#p2729870"},
          {4, "2729876", "Jakob",  // quotes Urwrongx1000
           "But then if non living things are excluded, do the examples of fire, water and rocks "
           "really count for anything with regard to freedom? Are we discussing free will in "
           "terms of other freedoms than those",
           "#p2729876"},
          {15, "2729894", "Jakob", "Image Image", "#p2729894"},  // a quote and images only
          {24, "2730442", "promethean75", "Ohhhh no you don't.", "#p2730442"}}},
        {"xenforo/nettally-xf21.html",
         "xenforo",
         8,
         {{0, "114210", "dieketzer",
           "it would be great if by default a dark theme shipped with xenforo.",
           "/community/threads/a-dark-theme-option.8276/post-114210"},
          {7, "1358710", "sub_ubi", "i want this added to xenforo.com itself",
           "/community/threads/a-dark-theme-option.8276/post-1358710"}}},
        {"vbulletin/nettally-vb423.html",
         "vbulletin",
         10,
         {{1, "365267", "Mjölnir", "Sad to read that ...",
           "showthread.php/"
           "9687-Legendary-military-columnist-author-Bob-Dorr-dies-at-76?p=365267&viewfull=1#"
           "post365267"},
          {4, "365272", "Rainmaker",
           "and who could forget...\"There is a rat in separate\".",  // quotes sandsjames
           "showthread.php/"
           "9687-Legendary-military-columnist-author-Bob-Dorr-dies-at-76?p=365272&viewfull=1#"
           "post365272"}}},
        {"schema-org/nettally-nodebb.html",
         "nodebb",
         13,
         {{3, "73817", "youhosi", "This is what it looks like on a mobile device", "/post/73817"},
          {12, "74301", "tonylee123321",
           "It's much better, more like other chat-apps like Whatsapp", "/post/74301"}}},
    };
    for (const PageCase& c : cases) expectPosts(c);
}

// Pages of our own for what no stored page shows: schema.org markup of any engine, JSON-LD,
// and the tokenizer's corners (comments and scripts that hold markup, references,
// unquoted and repeated attributes, unclosed elements).
TEST(ThreadPosts, MicrodataJsonLdAndTokenizerCorners) {
    struct Row {
        const char* html;
        const char* engine;
        std::vector<ForumPost> posts;
    };
    const Row rows[] = {
        {R"(<div itemscope itemtype="https://schema.org/DiscussionForumPosting" id="post-7">
              <span itemprop="author" itemscope itemtype="https://schema.org/Person">
                <a itemprop="url" href="/u/bob"><b itemprop="name">bob</b></a></span>
              <div itemprop="text"><blockquote>carol wrote: hi</blockquote><p>Mine &amp; yours</p></div>
              <a itemprop="url" href="/t/1#7">link</a>
              <div itemscope itemtype="http://schema.org/Comment"><meta itemprop="identifier" content="8">
                <span itemprop="author">carol</span><div itemprop="text">Reply<br>two</div></div></div>)",
         "microdata",
         {{"7", "bob", "Mine & yours", "/t/1#7"}, {"8", "carol", "Reply", ""}}},
        {R"(<script type="application/ld+json">{"@context":"https://schema.org","@type":"DiscussionForumPosting",
              "identifier":"1","author":{"@type":"Person","name":"ann"},"text":"First\nline two",
              "url":"https://f/t/1","comment":[{"@type":"Comment","@id":"c2","author":"b\u00f6b","text":"Hi"}]}</script>)",
         "json-ld",
         {{"1", "ann", "First", "https://f/t/1"}, {"c2", "böb", "Hi", ""}}},
        {R"(<!-- <div class="post" id="p9"> --><script>var s = '<div class="post" id="p8">';</script>
              <div class=post id=p5 class=ignored><p class="author"><strong><a>eve</a></strong></p>
              <div class="content">&lt;b&gt; is &#x41;&#66;<p>never closed)",
         "phpbb",
         {{"5", "eve", "<b> is AB", ""}}},
        {"<html><body><p>Just a page</p></body></html>", "", {}},
        {"", "", {}},
        {"<div class=\"post\" id=\"p12x\"><div class=\"content\">not a post id</div></div>",
         "",
         {}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.html);
        const ThreadPosts read = readThreadPosts(r.html);
        EXPECT_EQ(read.engine, r.engine);
        EXPECT_EQ(read.posts, r.posts);
    }
}

// Discourse and Flarum, which cannot be run here and of which no stored page was found:
// pages as their templates write them (tests/data/forums/discourse and flarum, README.md).
TEST(ThreadPosts, DiscourseAndFlarumAsTheirTemplatesWriteThem) {
    struct Row {
        const char* html;
        const char* engine;
        std::vector<ForumPost> posts;
    };
    const Row rows[] = {
        {R"(<div itemscope itemtype='http://schema.org/DiscussionForumPosting'>
             <meta itemprop='headline' content='Garden tools'>
             <link itemprop='url' href='https://f.example/t/garden-tools/12'>
             <div id='post_1'  class='topic-body crawler-post'>
               <div class='crawler-post-meta'><span class="creator" itemprop="author" itemscope
                 itemtype="http://schema.org/Person"><a itemprop="url" href='/u/ann'><span
                 itemprop='name'>ann</span></a></span></div>
               <div class='post' itemprop='text'><p>Which spade?</p></div></div>
             <div id='post_2' itemprop='comment' itemscope itemtype='http://schema.org/Comment'
                  class='topic-body crawler-post'>
               <div class='crawler-post-meta'><span class="creator" itemprop="author" itemscope
                 itemtype="http://schema.org/Person"><a itemprop="url" href='/u/bob'><span
                 itemprop='name'>bob</span></a></span><span itemprop='position'>2</span></div>
               <div class='post' itemprop='text'><aside class="quote" data-username="ann" data-post="1">
                 <div class="title">ann:</div><blockquote><p>Which spade?</p></blockquote></aside>
                 <p>The one with a &ldquo;D&rdquo; handle.</p></div></div></div>)",
         "discourse",
         {{"1", "ann", "Which spade?", "https://f.example/t/garden-tools/12/1"},
          {"2", "bob", "The one with a \u201cD\u201d handle.",
           "https://f.example/t/garden-tools/12/2"}}},
        {R"(<noscript id="flarum-content"><div class="container"><h1>Garden tools</h1><div>
             <article><div class="PostUser"><h3 class="PostUser-name">Ann A.</h3></div>
             <div class="Post-body"><p>Which spade?</p></div></article><hr></div></div></noscript>
             <script id="flarum-json-payload" type="application/json">{"apiDocument":{
               "data":{"type":"discussions","id":"7","attributes":{"slug":"garden-tools"}},
               "included":[
                 {"type":"posts","id":"31","attributes":{"number":2,"contentHtml":
                   "<blockquote><p>Which spade?<\/p><\/blockquote><p>A \u00abD\u00bb handle.<\/p>"},
                  "relationships":{"user":{"data":{"type":"users","id":"5"}}}},
                 {"type":"users","id":"4","attributes":{"username":"ann","displayName":"Ann A."}},
                 {"type":"users","id":"5","attributes":{"username":"bob","displayName":""}},
                 {"type":"posts","id":"30","attributes":{"number":1,"contentHtml":"<p>Which spade?<\/p>"},
                  "relationships":{"user":{"data":{"type":"users","id":"4"}}}}]}}</script>)",
         "flarum",
         {{"30", "Ann A.", "Which spade?", "/d/7-garden-tools/1"},
          {"31", "bob", "A \u00abD\u00bb handle.", "/d/7-garden-tools/2"}}},
    };
    for (const Row& r : rows) {
        const ThreadPosts read = readThreadPosts(r.html);
        EXPECT_EQ(read.engine, r.engine);
        EXPECT_EQ(read.posts, r.posts);
    }
}

TEST(ThreadPosts, PagesThatAreNotTheThread) {
    struct Row {
        const char* html;
        int status;
        bool cfHeader;
        PageProblem expected;
    };
    const std::string cfJs = page("challenge/cloudscraper-js-challenge-2020.html");
    const std::string cfBfm = page("challenge/cloudscraper-bfm-2021.html");
    const Row rows[] = {
        {cfJs.c_str(), 503, false, PageProblem::Challenge},
        {cfJs.c_str(), 200, false, PageProblem::None},  // a challenge answers 403, 429 or 503
        // Bot management's script on an ordinary page is no challenge.
        {cfBfm.c_str(), 403, false, PageProblem::None},
        {"<title>x</title>", 200, true, PageProblem::Challenge},
        {"<title>DDoS-Guard</title><script "
         "src=\"/.well-known/ddos-guard/check?context=free_splash\"></script>",
         403, false, PageProblem::Challenge},
        {"<p>You are either not logged in or do not have permission to view this page.</p>", 200,
         false, PageProblem::LoginRequired},
        {"<div class=\"blockMessage\">You must be logged-in to do that.</div>", 403, false,
         PageProblem::LoginRequired},
        {"<p>Nothing here</p>", 404, false, PageProblem::None},
    };
    for (const Row& r : rows) {
        const HtmlDocument doc = HtmlDocument::parse(r.html);
        EXPECT_EQ(pageProblem(doc, r.status, r.cfHeader, false), r.expected) << r.html;
    }
    // A post that speaks of logging in is a post, not a notice.
    EXPECT_EQ(
        pageProblem(HtmlDocument::parse("<p>you must be registered and logged in to see links</p>"),
                    200, false, true),
        PageProblem::None);
}

}  // namespace
}  // namespace boardcast
