#include "core/watching/reply_notice.h"

#include <gtest/gtest.h>

namespace boardcast {
namespace {

std::vector<std::string> posts(size_t count) {
    std::vector<std::string> list;
    for (size_t i = 1; i <= count; ++i) list.push_back("http://f.example/t" + std::to_string(i));
    return list;
}

TEST(ReplyNotice, NamesThePostsAndCountsTheRest) {
    struct Row {
        std::vector<std::string> posts;
        bool markup;
        const char* summary;
        std::string body;
    };
    const Row rows[] = {
        {posts(1), false, "New replies in 1 watched post", "http://f.example/t1"},
        {posts(2), false, "New replies in 2 watched posts",
         "http://f.example/t1\nhttp://f.example/t2"},
        {posts(8), false, "New replies in 8 watched posts",
         "http://f.example/t1\nhttp://f.example/t2\n"
         "http://f.example/t3\nhttp://f.example/t4\nhttp://f.example/t5\nhttp://f.example/t6\n"
         "http://f.example/t7\nhttp://f.example/t8"},
        {posts(11), true, "New replies in 11 watched posts",
         "http://f.example/t1\nhttp://f.example/t2\n"
         "http://f.example/t3\nhttp://f.example/t4\nhttp://f.example/t5\nhttp://f.example/t6\n"
         "http://f.example/t7\nhttp://f.example/t8\nand 3 more"},
        // Markup is read only by services that say so; others would show the entities.
        {{"http://f/v?a=1&b=<2>&c='3'"},
         true,
         "New replies in 1 watched post",
         "http://f/v?a=1&amp;b=&lt;2&gt;&amp;c=&apos;3&apos;"},
        {{"http://f/v?a=1&b=<2>"}, false, "New replies in 1 watched post", "http://f/v?a=1&b=<2>"},
    };
    for (const Row& r : rows) {
        const ReplyNotice notice = replyNotice(r.posts, r.markup);
        EXPECT_EQ(notice.summary, r.summary);
        EXPECT_EQ(notice.body, r.body);
    }
}

}  // namespace
}  // namespace boardcast
