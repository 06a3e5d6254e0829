#include "browser/message_html.h"

#include <gtest/gtest.h>

namespace boardcast {
namespace {

TEST(MessageHtml, ParagraphsBreaksAndEscaping) {
    struct Row {
        const char* what;
        MessageText message;
        std::string html;
    };
    const Row rows[] = {
        {"one line", {"Hello"}, "<p>Hello</p>"},
        {"line breaks of every kind", {"a\r\nb\rc\nd"}, "<p>a<br>b<br>c<br>d</p>"},
        {"blank lines part paragraphs; the trailing breaks add nothing",
         {"one\r\ntwo\r\n\r\n\r\nthree\r\n\r\n"}, "<p>one<br>two</p><p>three</p>"},
        {"plain text and BBCode are shown as text",
         {"[url=http://a.com/?a=1&b=2 ]<x>[/url] \"q\" 'r'"},
         "<p>[url=http://a.com/?a=1&amp;b=2 ]&lt;x&gt;[/url] &quot;q&quot; &apos;r&apos;</p>"},
        {"HTML keeps its markup",
         {"See <a href='http://a.com '>http://a.com </a>now\r\nbye\r\n\r\n", Markup::Html},
         "<p>See <a href='http://a.com '>http://a.com </a>now<br>bye</p>"},
        {"nothing", {""}, ""},
        {"only breaks", {"\r\n\r\n"}, ""},
    };
    for (const Row& r : rows) EXPECT_EQ(messageHtml(r.message), r.html) << r.what;
}

}  // namespace
}  // namespace boardcast
