#include "core/message_output.h"

#include <gtest/gtest.h>

#include "core/settings_keys.h"

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

TEST(MessageOutput, OutgoingTextEndsInTwoLineBreaks) {
    const TemplateTable table = defaultTemplates();
    EXPECT_EQ(outgoingText("Hi there", "text", table), "Hi there\r\n\r\n");
    EXPECT_EQ(outgoingText("", "html", table), "\r\n\r\n");
    EXPECT_EQ(outgoingText("See http://a.com.", "html", table),
              "See <a href='http://a.com'>http://a.com</a>.\r\n\r\n");
    EXPECT_EQ(bareMessageText("See http://a.com.", "html", table),
              "See <a href='http://a.com'>http://a.com</a>.");
    EXPECT_EQ(outgoingText("a\r\nb", "text", table), "a\r\nb\r\n\r\n");
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

TEST(MessageOutput, ChooserIndexRoundTrip) {
    MemorySettingsStore store;
    const std::vector<std::string> entries = {"text", "html", "ubb", "ezboard"};
    EXPECT_EQ(restoredChooserIndex(store, entries), 0);
    ASSERT_TRUE(storeChooserIndex(store, 2));
    EXPECT_EQ(readSetting(store, keys::lastConvert), "2");
    EXPECT_EQ(restoredChooserIndex(store, entries), 2);
    ASSERT_TRUE(storeChooserIndex(store, -1));
    EXPECT_EQ(readSetting(store, keys::lastConvert), "-1");
    EXPECT_EQ(restoredChooserIndex(store, entries), 0);
}

}  // namespace
}  // namespace boardcast
