#include "core/watching/reply_notice.h"

#include <gtest/gtest.h>

namespace boardcast {
namespace {

ThreadNews byPosts(std::vector<std::pair<std::string, std::string>> authorsAndLines) {
    ThreadNews news;
    news.byPosts = true;
    int id = 10;
    for (auto& [author, line] : authorsAndLines)
        news.posts.push_back(
            {std::to_string(++id), author, line, "http://f/p" + std::to_string(id)});
    return news;
}

ThreadNews bySize(std::int64_t grown) {
    ThreadNews news;
    news.grown = true;
    news.grownBytes = grown;
    return news;
}

TEST(ReplyNotice, EntriesAndCheckLinesNameWhoAnswered) {
    struct Row {
        ThreadWithNews thread;
        const char* entry;
        const char* line;
    };
    const Row rows[] = {
        {{"Garden tools", "http://f/t?id=1",
          byPosts({{"bob", "Hi"}, {"carol", "Yes"}, {"Bob", "Again"}})},
         "Garden tools (3 new: bob, carol)",
         "http://f/t?id=1\t3\tbob, carol"},
        {{"Guest thread", "http://f/t", byPosts({{"", "from a guest"}})},
         "Guest thread (1 new: a guest)",
         "http://f/t\t1\ta guest"},
        {{"Big", "http://u:secret@f/t", bySize(2771)},
         "Big (+2,771 bytes)",
         "http://u:***@f/t\t+2771 bytes\t"},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(newRepliesEntry(r.thread), r.entry);
        EXPECT_EQ(checkLine(r.thread), r.line);
    }
}

TEST(ReplyNotice, TipNamesTheForumAndFivePostsAtMost) {
    ThreadWithNews seven{
        "T", "http://f/t",
        byPosts(
            {{"a", "1"}, {"b", "2"}, {"c", "3"}, {"d", "4"}, {"e", "5"}, {"f", "6"}, {"g", "7"}})};
    EXPECT_EQ(newRepliesTip(seven, "f"), "f\nhttp://f/t\na: 1\nb: 2\nc: 3\nd: 4\ne: 5\nand 2 more");
    EXPECT_EQ(newRepliesTip({"T", "http://f/t", bySize(600)}, "f"),
              "f\nhttp://f/t\nThe page grew by 600 bytes (its posts could not be read)");
}

TEST(ReplyNotice, OneThreadNamesWhoRepliedManyAreCounted) {
    struct Row {
        std::vector<ThreadWithNews> threads;
        bool markup;
        const char* summary;
        std::string body;
    };
    std::vector<ThreadWithNews> ten;
    for (int i = 1; i <= 10; ++i)
        ten.push_back(
            {"T" + std::to_string(i), "http://f/" + std::to_string(i), byPosts({{"bob", "x"}})});
    const Row rows[] = {
        {{{"Garden tools", "http://f/1", byPosts({{"bob", "I use a <spade> & fork"}})}},
         true,
         "bob replied in Garden tools",
         "I use a &lt;spade&gt; &amp; fork"},
        {{{"Garden tools", "http://f/1",
           byPosts({{"bob", "first"}, {"carol", "second"}, {"dan", "third"}, {"bob", "4"}})}},
         false,
         "bob, carol and 1 others replied in Garden tools",
         "first\nand 3 more"},
        {{{"Big", "http://f/1", bySize(900)}}, false, "New replies in Big", "+900 bytes"},
        {{{"A", "http://f/1", byPosts({{"bob", "x"}, {"carol", "y"}})},
          {"B", "http://f/2", byPosts({{"dan", "z"}})}},
         false,
         "3 new posts in 2 threads",
         "A (2 new: bob, carol)\nB (1 new: dan)"},
        {{{"A", "http://f/1", byPosts({{"bob", "x"}})}, {"B", "http://f/2", bySize(700)}},
         false,
         "New replies in 2 threads",
         "A (1 new: bob)\nB (+700 bytes)"},
        {ten, false, "10 new posts in 10 threads",
         "T1 (1 new: bob)\nT2 (1 new: bob)\nT3 (1 new: bob)\nT4 (1 new: bob)\nT5 (1 new: bob)\n"
         "T6 (1 new: bob)\nT7 (1 new: bob)\nT8 (1 new: bob)\nand 2 more"},
    };
    for (const Row& r : rows) {
        const ReplyNotice notice = replyNotice(r.threads, r.markup);
        EXPECT_EQ(notice.summary, r.summary);
        EXPECT_EQ(notice.body, r.body);
    }
}

}  // namespace
}  // namespace boardcast
