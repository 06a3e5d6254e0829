#include "posting/rendered_message.h"

#include <gtest/gtest.h>

namespace boardcast {
namespace {

using Words = std::vector<std::string>;

TEST(RenderMessage, ParagraphsLinksAndEscaping) {
    struct Row {
        const char* what;
        std::string message;
        bool keepHtml;
        std::string html;
        Words targets;
    };
    const Row rows[] = {
        {"line breaks of every kind", "a\r\nb\rc\nd", false, "<p>a<br>b<br>c<br>d</p>", {}},
        {"blank lines part paragraphs; the trailing breaks add nothing",
         "one\r\ntwo\r\n\r\n\r\nthree\r\n\r\n",
         false,
         "<p>one<br>two</p><p>three</p>",
         {}},
        {"each kind of address, with the conversion's targets, punctuation outside",
         "See https://a.com/x?q=1&r=2, www.b.org.\r\nMail me@c.net!",
         false,
         "<p>See <a href=\"https://a.com/x?q=1&amp;r=2\">https://a.com/x?q=1&amp;r=2</a>, "
         "<a href=\"http://www.b.org\">www.b.org</a>.<br>Mail "
         "<a href=\"mailto:me@c.net\">me@c.net</a>!</p>",
         {"https://a.com/x?q=1&r=2", "http://www.b.org", "mailto:me@c.net"}},
        {"a link that opens a line",
         "http://a.com\r\nnext",
         false,
         "<p><a href=\"http://a.com\">http://a.com</a><br>next</p>",
         {"http://a.com"}},
        {"links the user wrote become links; other markup is text",
         "[url=\"www.a.com\"]my [b]site[/b][/url] [email]me@c.net[/email] [t](https://d.org) "
         "![i](http://e.org/i.png) <b>\"q\"</b>",
         false,
         "<p><a href=\"http://www.a.com\">my [b]site[/b]</a> "
         "<a href=\"mailto:me@c.net\">me@c.net</a> <a href=\"https://d.org\">t</a> "
         "![i](http://e.org/i.png) &lt;b&gt;&quot;q&quot;&lt;/b&gt;</p>",
         {"http://www.a.com", "mailto:me@c.net", "https://d.org"}},
        {"HTML stays markup for an HTML format; BBCode stays text",
         "<b>Hi</b> <a href='http://a.com'>x</a> [b]y[/b] http://d.com",
         true,
         "<p><b>Hi</b> <a href='http://a.com'>x</a> [b]y[/b] "
         "<a href=\"http://d.com\">http://d.com</a></p>",
         {"http://d.com"}},
        {"targets the user wrote completed as a forum reads them",
         "[url]www.x.com/@me[/url] [url=example.com]y[/url] [url]www.x.com/?t=1:30[/url] "
         "[url=/t/1]here[/url] [link=me@c.net]mail[/link]",
         false,
         "<p><a href=\"http://www.x.com/@me\">www.x.com/@me</a> "
         "<a href=\"http://example.com\">y</a> "
         "<a href=\"http://www.x.com/?t=1:30\">www.x.com/?t=1:30</a> "
         "<a href=\"/t/1\">here</a> <a href=\"mailto:me@c.net\">mail</a></p>",
         {"http://www.x.com/@me", "http://example.com", "http://www.x.com/?t=1:30", "/t/1",
          "mailto:me@c.net"}},
        {"HTML's references stay as written; a line of blanks parts paragraphs",
         "Tom &amp; Jerry &eacute; & co\r\n  \t\r\nnext",
         true,
         "<p>Tom &amp; Jerry &eacute; &amp; co</p><p>next</p>",
         {}},
        {"nothing", "", false, "", {}},
    };
    for (const Row& r : rows) {
        const RenderedMessage rendered = renderMessage(r.message, r.keepHtml);
        EXPECT_EQ(rendered.html, r.html) << r.what;
        EXPECT_EQ(rendered.targets, r.targets) << r.what;
    }
    // The words a reader sees, addresses apart from the punctuation around them.
    EXPECT_EQ(
        renderMessage("(see www.b.org), <b>x</b>\r\nok &amp;\xC2\xA0go caf&eacute;", true).words,
        (Words{"(see", "www.b.org", "),", "x", "ok", "&", "go"}));
}

TEST(FindLosses, WordsInOrderAndLinksAsLinks) {
    const Words words{"Fresh", "deals", "http://a.com", "every", "day"};
    const Words targets{"http://a.com", "mailto:me@c.net"};
    struct Row {
        const char* what;
        ReadBack read;
        Words missingWords;
        Words missingLinks;
    };
    const Row rows[] = {
        {"all there, with links rewritten in case and with a slash",
         {"Fresh\ndeals http://a.com every\xC2\xA0"
          "day",
          {"HTTP://A.com/", "mailto:me@c.net"}},
         {},
         {}},
        {"links turned to text", {"Fresh deals http://a.com every day me@c.net", {}}, {}, targets},
        {"a word dropped, one out of order",
         {"deals Fresh http://a.com every", {"http://a.com", "mailto:me@c.net"}},
         {"deals", "day"},
         {}},
        {"markup kept as text: links are in the text, e-mail as [email]",
         {"Fresh deals [url=http://a.com]http://a.com[/url] every day [email]me@c.net[/email]",
          {},
          true},
         {},
         {}},
        {"markup as text without the e-mail",
         {"Fresh deals http://a.com every day", {}, true},
         {},
         {"mailto:me@c.net"}},
        {"an empty editor", {"", {}}, words, targets},
    };
    for (const Row& r : rows) {
        InsertResult result{true, "x"};
        findLosses(words, targets, r.read, result);
        EXPECT_EQ(result.missingWords, r.missingWords) << r.what;
        EXPECT_EQ(result.missingLinks, r.missingLinks) << r.what;
        EXPECT_EQ(result.differs(), !r.missingWords.empty() || !r.missingLinks.empty());
    }
}

TEST(FindLosses, LinksWithinTheForumAndEarlierDrafts) {
    InsertResult result{true, "x"};
    findLosses({"see", "here"}, {"/t/1"}, {"see here", {"http://forum.example/t/1"}}, result);
    EXPECT_FALSE(result.differs());
    // The message after a draft the editor kept: all there, and too much.
    const std::string draft = "An older draft about winter sales with many more words in it";
    findLosses({"Fresh", "deals", "every", "day"}, {}, {draft + " Fresh deals every day", {}},
               result);
    EXPECT_TRUE(result.missingWords.empty());
    EXPECT_EQ(result.extraWords, wordsOf(draft).size());
}

TEST(FindLosses, ReportNamesAFewOfEach) {
    InsertResult result{true, "contenteditable", {}, {"http://a.com"}};
    for (int i = 0; i < 10; ++i) result.missingWords.push_back("w" + std::to_string(i));
    const std::string report = lossReport(result);
    EXPECT_NE(report.find("Links it did not keep: http://a.com\n"), std::string::npos) << report;
    EXPECT_NE(report.find("w0, w1, w2, w3, w4, w5, w6, w7 and 2 more"), std::string::npos)
        << report;
}

}  // namespace
}  // namespace boardcast
