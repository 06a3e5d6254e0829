#include "net/page_facts.h"

#include <gtest/gtest.h>

namespace boardcast {
namespace {

TEST(PageTitle, IsReadAsTheVisitorSeesIt) {
    struct Row {
        std::string html, title;
    };
    const Row rows[] = {
        {"<html><head><title>Plain</title></head>", "Plain"},
        {"<TITLE lang=en>\n  Two\t\tlines\r\n here </TITLE>", "Two lines here"},
        {"<title>Re: A &amp; B &#8211; &#x263A; &raquo; &nbsp;x&unknown; &#xD800;</title>",
         "Re: A & B \u2013 \u263A \u00BB x&unknown; \uFFFD"},
        {"<title>Caf\xE9 \x96 Forum</title>", "Caf\u00E9 \u2013 Forum"},  // Windows 1252
        {"<title>Caf\xC3\xA9</title>", "Caf\u00E9"},
        {"<titles>no</titles><title>yes</title>", "yes"},
        {"<title>never closed", "never closed"},  // as a browser reads it, to the end
        {"<title></title>", ""},
        {"no title at all", ""},
        {"<title>" + std::string(400, 'x') + "</title>", std::string(300, 'x')},
        {"<title>" + std::string(299, 'x') + "\u00E9\u00E9</title>",
         std::string(299, 'x') + "\u00E9"},
    };
    for (const Row& r : rows) EXPECT_EQ(pageTitle(r.html), r.title) << r.html;
}

TEST(PageLinks, FindTheNextPageAndTheCanonicalAddress) {
    struct Row {
        std::string html, next, canonical;
    };
    const Row rows[] = {
        {"<LINK REL='Next' HREF='t?id=4&amp;p=3'><link rel=canonical href=t?id=4>", "t?id=4&p=3",
         "t?id=4"},
        {"<a rel=\"nofollow next\" href=\"/t/2\">2</a><a rel=next href=/t/3>", "/t/2", ""},
        {"<a class=\"button pagination_next\" href=\"showthread.php?tid=3&amp;page=3\">Next</a>",
         "showthread.php?tid=3&page=3", ""},
        {"<!-- <link rel=\"next\" href=\"/old\"> --><a rel=\"prev\" href=\"/1\">", "", ""},
        {"<a rel=\"next\">no address</a><area rel=next href=/x><a href=/nextpage>", "", ""},
        {"<a rel=\"next\" href=\"/cut", "/cut", ""},
    };
    for (const Row& r : rows) {
        const PageLinks links = pageLinks(r.html);
        EXPECT_EQ(links.next, r.next) << r.html;
        EXPECT_EQ(links.canonical, r.canonical) << r.html;
    }
}

TEST(BodyReader, TakesTheFramingOffAndKeepsTheLimit) {
    struct Row {
        std::string body;
        bool chunked;
        size_t limit;
        std::string content;
    };
    const Row rows[] = {
        {"5\r\nhello\r\n6;ext\r\n world\r\n0\r\nTrailer: x\r\n\r\n", true, 100, "hello world"},
        {"A\r\n0123456789\r\n0\r\n\r\n", true, 4, "0123"},
        {"plain\r\nbody", false, 100, "plain\r\nbody"},
        {"zz not framing", true, 100, "zz not framing"},
        {"3\r\nabcX", true, 100, "abcX"},  // a chunk that runs on: kept as it came
    };
    for (const Row& r : rows) {
        BodyReader whole(r.limit, r.chunked);
        whole.feed(r.body);
        EXPECT_EQ(whole.content(), r.content) << r.body;
        BodyReader bytewise(r.limit, r.chunked);
        for (char c : r.body) bytewise.feed(std::string_view(&c, 1));
        EXPECT_EQ(bytewise.content(), r.content) << r.body << " byte by byte";
    }
}

}  // namespace
}  // namespace boardcast
