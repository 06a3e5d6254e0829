#include "core/conversion/message_output.h"

#include <gtest/gtest.h>

#include "core/storage/settings_keys.h"

namespace boardcast {
namespace {

TEST(MessageOutput, ConversionFollowsTheChooserText) {
    TemplateTable table = defaultTemplates();
    const std::string msg = "W http://a.com W";
    EXPECT_EQ(convertMessage(msg, "text", table), msg);
    EXPECT_EQ(convertMessage(msg, "nothing of that name", table), msg);
    EXPECT_EQ(convertMessage(msg, "ubb", table), "W [url=http://a.com]http://a.com[/url] W");

    // A custom template named "text" is matched by the chooser's first entry.
    table[5] = {"text", "(", "|", ")", "m:"};
    EXPECT_EQ(convertMessage(msg, "text", table), "W (http://a.com|http://a.com) W");

    // A custom template with only a name writes each address twice in a row.
    table[6].Name = "bare";
    EXPECT_EQ(convertMessage(msg, "bare", table), "W http://a.comhttp://a.com W");
}

TEST(MessageOutput, LinkTagNamesTheTemplatesTag) {
    TemplateTable table = defaultTemplates();
    table[5] = {"markdown", "[", "](", ")", "mailto:"};  // "[" before an address is no tag
    table[6] = {"spaced", " <A HREF=", ">", "</A>", ""};
    const std::pair<const char*, const char*> rows[] = {
        {"ubb", "[url]"}, {"html", "<a>"},   {"ezboard", "[link]"}, {"text", ""},
        {"markdown", ""}, {"spaced", "<A>"}, {"unknown", ""},
    };
    for (const auto& [chooser, tag] : rows) EXPECT_EQ(linkTagOf(chooser, table), tag) << chooser;
}

TEST(MessageOutput, InsertConversionFromOneLookUp) {
    TemplateTable table = defaultTemplates();
    table[5] = {"markdown", "[", "](", ")", "mailto:"};
    table[6] = {"spaced", " <A HREF=", ">", "</A>", ""};
    const std::string msg = "See http://a.com";
    const std::string asText = "See http://a.com\r\n\r\n";
    struct Row {
        const char* chooser;
        std::string text, link;
        bool html;
        std::string asText;
    } rows[] = {
        {"text", asText, "", false, ""},
        {"html", "See <a href='http://a.com'>http://a.com</a>\r\n\r\n", "<a href='", true, asText},
        {"ubb", "See [url=http://a.com]http://a.com[/url]\r\n\r\n", "[url=", false, asText},
        {"markdown", "See [http://a.com](http://a.com)\r\n\r\n", "[", false, ""},
        {"spaced", "See  <A HREF=http://a.com>http://a.com</A>\r\n\r\n", " <A HREF=", true, asText},
        {"unknown", asText, "", false, ""},
    };
    for (const Row& r : rows) {
        const InsertConversion c = convertForInsert(msg, r.chooser, table);
        EXPECT_EQ(c.text, r.text) << r.chooser;
        EXPECT_EQ(c.link.text, r.link) << r.chooser;
        EXPECT_EQ(c.link.writesHtml(), r.html) << r.chooser;
        EXPECT_EQ(c.asText, r.asText) << r.chooser;
    }
    // The "text" conversion is the chooser's first entry's, a custom template of that name too.
    table[7] = {"text", "(", "|", ")", ""};
    EXPECT_EQ(convertForInsert(msg, "ubb", table).asText,
              "See (http://a.com|http://a.com)\r\n\r\n");
}

TEST(MessageOutput, OutgoingTextEndsInTwoLineBreaks) {
    const TemplateTable table = defaultTemplates();
    EXPECT_EQ(outgoingText("Hi there", "text", table), "Hi there\r\n\r\n");
    EXPECT_EQ(outgoingText("", "html", table), "\r\n\r\n");
    EXPECT_EQ(outgoingText("See http://a.com.", "html", table),
              "See <a href='http://a.com'>http://a.com</a>.\r\n\r\n");
    EXPECT_EQ(bareMessageText("See http://a.com.", "html", table),
              "See <a href='http://a.com'>http://a.com</a>.");
    EXPECT_EQ(outgoingText("a\r\nb", "text", table), "a\r\nb\r\n\r\n");
    // The first-start text's sample address links to itself.
    EXPECT_NE(outgoingText(kIntroductoryMessage, "html", table)
                  .find("<a href='https://www.example.com/'>https://www.example.com/</a>.\r\n"),
              std::string::npos);
}

TEST(MessageOutput, SubjectAndMessagePersistence) {
    MemorySettingsStore store;
    EXPECT_EQ(restoredSubject(store), "Type Subject Here");
    EXPECT_EQ(restoredMessage(store), std::nullopt);

    ASSERT_TRUE(storeSubject(store, ""));
    EXPECT_EQ(restoredSubject(store), "");  // an emptied subject stays empty

    struct Row {
        std::string stored;
        std::optional<std::string> restored;
    };
    const Row rows[] = {{"", std::nullopt},
                        {" ", std::nullopt},
                        {"  ", "  "},
                        {"line one\r\nline two\r\n", "line one\r\nline two\r\n"}};
    for (const Row& r : rows) {
        ASSERT_TRUE(storeMessage(store, r.stored));
        EXPECT_EQ(restoredMessage(store), r.restored) << '"' << r.stored << '"';
    }
}

TEST(MessageOutput, ChooserChoiceRoundTrip) {
    MemorySettingsStore store;
    const std::vector<std::string> entries = {"text", "html", "ubb", "ezboard"};
    EXPECT_EQ(restoredChooserIndex(store, entries), 0);
    ASSERT_TRUE(storeChooserChoice(store, 2, "ubb"));
    EXPECT_EQ(readSetting(store, keys::lastConvert), "2");
    EXPECT_EQ(readSetting(store, keys::lastConvertName), "ubb");
    EXPECT_EQ(restoredChooserIndex(store, entries), 2);
    ASSERT_TRUE(storeChooserChoice(store, -1, ""));
    EXPECT_EQ(readSetting(store, keys::lastConvert), "-1");
    EXPECT_EQ(restoredChooserIndex(store, entries), 0);
}

TEST(MessageOutput, RememberedNameWinsWhenListed) {
    struct Row {
        const char* what;
        std::vector<std::string> entries;
        int storedIndex;
        const char* storedName;
        int expected;
    };
    const Row rows[] = {
        {"a template added before it", {"text", "html", "mine", "ubb", "ezboard"}, 2, "ubb", 3},
        {"a template removed before it", {"text", "ubb", "ezboard"}, 2, "ubb", 1},
        {"the name listed twice, at the index", {"text", "html", "ubb", "html"}, 3, "html", 3},
        {"the name listed twice, elsewhere", {"text", "html", "ubb", "html"}, 2, "html", 1},
        {"the name gone: the index", {"text", "html", "ezboard"}, 2, "ubb", 2},
        {"the name gone, the index too: text", {"text", "html"}, 2, "ubb", 0},
    };
    for (const Row& r : rows) {
        MemorySettingsStore store;
        ASSERT_TRUE(storeChooserChoice(store, r.storedIndex, r.storedName));
        EXPECT_EQ(restoredChooserIndex(store, r.entries), r.expected) << r.what;
    }
}

}  // namespace
}  // namespace boardcast
