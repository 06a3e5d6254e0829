#include "core/conversion/link_templates.h"

#include <gtest/gtest.h>

#include "core/conversion/message_output.h"
#include "core/storage/settings_keys.h"

namespace boardcast {
namespace {

using Entries = std::vector<std::string>;

TEST(LinkTemplates, EmptyStoreGivesTheDefaults) {
    MemorySettingsStore store;
    TemplateTable table = loadTemplates(store);
    EXPECT_EQ(table[0], (LinkTemplate{"html", "<a href='", "'>", "</a>", "mailto:"}));
    EXPECT_EQ(table[1], (LinkTemplate{"ubb", "[url=", "]", "[/url]", "mailto:"}));
    EXPECT_EQ(table[2], (LinkTemplate{"ezboard", "[link=", "]", "[/link]", "mailto:"}));
    for (int slot = 3; slot < kTemplateSlots; ++slot) EXPECT_EQ(table[slot], LinkTemplate{});
    EXPECT_EQ(formatChooserEntries(table), (Entries{"text", "html", "ubb", "ezboard"}));
}

TEST(LinkTemplates, SaveWritesAllFortyKeysUnderTheirNames) {
    MemorySettingsStore store;
    ASSERT_TRUE(saveTemplates(store, defaultTemplates()));
    for (const char* key :
         {"htmlName", "htmlLinkOpen01", "ubbLinkOpen02", "ezName", "ezLinkClose01", "cust01Name",
          "cust03MailCall01", "cust05MailCall01"}) {
        EXPECT_TRUE(store.contains("data", key)) << key;
    }
    EXPECT_EQ(store.read("data", "ezName", "?"), "ezboard");
    EXPECT_EQ(store.read("data", "cust02LinkOpen01", "?"), "");
}

TEST(LinkTemplates, StoredValuesReplaceDefaultsIncludingEmptiedNames) {
    MemorySettingsStore store;
    TemplateTable edited = defaultTemplates();
    edited[1].Name.clear();
    edited[4] = {"bb", "[", "|", "]", "mail:"};
    ASSERT_TRUE(saveTemplates(store, edited));

    // What a restart sees.
    TemplateTable reloaded = loadTemplates(store);
    EXPECT_EQ(reloaded, edited);
    EXPECT_EQ(reloaded[1].LinkOpen01, "[url=");
    EXPECT_EQ(formatChooserEntries(reloaded), (Entries{"text", "html", "ezboard", "bb"}));
}

TEST(LinkTemplates, ChooserEntries) {
    TemplateTable table = defaultTemplates();
    table[7].Name = "html";
    table[3].Name = "mine";
    EXPECT_EQ(formatChooserEntries(table),
              (Entries{"text", "html", "ubb", "ezboard", "mine", "html"}));
    // A duplicate name converts with the first slot of that name.
    EXPECT_EQ(templateForChooserText(table, "html"), &table[0]);
    EXPECT_EQ(templateForChooserText(table, "Html"), nullptr);
    EXPECT_EQ(templateForChooserText(table, "text"), nullptr);

    TemplateTable unnamed;
    EXPECT_EQ(formatChooserEntries(unnamed), (Entries{"text"}));
    // Unnamed slots are never offered, so an empty chooser text matches none of them.
    EXPECT_EQ(templateForChooserText(unnamed, ""), nullptr);
}

TEST(LinkTemplates, LastConvertSelectsAValidEntry) {
    struct Row {
        const char* stored;
        int entries;
        int expected;
    };
    const Row rows[] = {
        {"0", 4, 0},
        {"3", 4, 3},
        {"2", 4, 2},
        {"+2", 4, 2},
        {"4", 4, 0},
        {"-1", 4, 0},
        {"", 4, 0},
        {"abc", 4, 0},
        {" 3", 4, 0},
        {"3 ", 4, 0},
        {"3.0", 4, 0},
        {"0x2", 4, 0},
        {"99999999999999999999", 4, 0},
        {"1", 1, 0},
        {"32767", 32768, 32767},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(chooserIndexFromSetting(r.stored, r.entries), r.expected)
            << '"' << r.stored << '"';
    }
}

TEST(LinkTemplates, LastConvertIsPositional) {
    MemorySettingsStore store;
    ASSERT_TRUE(writeSetting(store, keys::lastConvert, "3"));
    TemplateTable table = defaultTemplates();
    Entries entries = formatChooserEntries(table);
    EXPECT_EQ(entries[restoredChooserIndex(store, entries)], "ezboard");

    table[1].Name.clear();
    table[3].Name = "custom";
    entries = formatChooserEntries(table);
    EXPECT_EQ(entries[restoredChooserIndex(store, entries)], "custom");
}

}  // namespace
}  // namespace boardcast
