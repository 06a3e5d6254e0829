#include "core/library/message_library.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "temp_folder.h"

namespace boardcast {
namespace {

using testing_support::TempFolder;
using Lines = std::vector<std::string>;

struct SaveRow {
    const char* what;
    std::string before;
    std::string message;
    std::string subject;
    std::string after;
};

TEST(MessageLibrary, SaveGivesExactBytes) {
    const SaveRow rows[] = {
        {"fresh file", "\r\n", "A\r\nB", "S", "A[br]B|S\r\n"},
        {"second save", "A[br]B|S\r\n", "A\r\nB", "S", "A[br]B|S\r\nA[br]B|S\r\n"},
        {"empty message and subject", "\r\n", "", "", "|\r\n"},
        {"blank and one-space lines dropped", "a|1\r\n \r\n\r\nb|2\r\n\r\n", "c", "3",
         "a|1\r\nb|2\r\nc|3\r\n"},
        {"bar inside the message kept", "\r\n", "x|y", "S", "x|y|S\r\n"},
        {"a lone CR is a break, a lone LF stays", "\r\n", "a\rb\nc", "S", "a[br]b\nc|S\r\n"},
        {"typed marker kept", "\r\n", "one[BR]two", "S", "one[BR]two|S\r\n"},
        {"empty file", "", "m", "s", "m|s\r\n"},
    };
    for (const SaveRow& r : rows) {
        TempFolder dir;
        dir.write("messages.txt", r.before);
        ASSERT_TRUE(saveMessage(dir.path(), r.message, r.subject)) << r.what;
        EXPECT_EQ(dir.read("messages.txt"), r.after) << r.what;
    }
}

TEST(MessageLibrary, DeleteGivesExactBytes) {
    struct Row {
        const char* what;
        std::string before;
        std::string entry;
        std::string after;
    };
    const Row rows[] = {
        {"duplicates go together", "A[br]B|S\r\nA[br]B|S\r\n", "A[br]B|S", "\r\n"},
        {"only record", "X|S\r\n", "X|S", "\r\n"},
        {"empty lines stay", "a|1\r\n\r\nb|2\r\n", "b|2", "a|1\r\n\r\n\r\n"},
        {"no selection removes empty lines only", "a|1\r\n\r\nb|2\r\n", "", "a|1\r\nb|2\r\n\r\n"},
        {"comparison is exact", "a|1\r\n", "A|1", "a|1\r\n\r\n"},
    };
    for (const Row& r : rows) {
        TempFolder dir;
        dir.write("messages.txt", r.before);
        ASSERT_TRUE(deleteMessage(dir.path(), r.entry)) << r.what;
        EXPECT_EQ(dir.read("messages.txt"), r.after) << r.what;
    }
}

TEST(MessageLibrary, ListShowsRawLines) {
    TempFolder dir;
    dir.write("messages.txt", "\r\n");
    EXPECT_EQ(loadMessageList(dir.path()).value(), Lines{""});
    ASSERT_TRUE(saveMessage(dir.path(), "a\rb", "S"));  // a lone CR keeps the record whole
    ASSERT_TRUE(saveMessage(dir.path(), "m\r\nn", "T"));
    EXPECT_EQ(loadMessageList(dir.path()).value(), (Lines{"a[br]b|S", "m[br]n|T"}));
    ASSERT_TRUE(deleteMessage(dir.path(), "a[br]b|S"));
    EXPECT_EQ(loadMessageList(dir.path()).value(), (Lines{"m[br]n|T", ""}));
}

TEST(MessageLibrary, Decoding) {
    struct Row {
        std::string line;
        std::string message;
        std::optional<std::string> subject;
        bool blank;
    };
    const Row rows[] = {
        {"", "", std::nullopt, true},
        {"A[br]B|S", "A\r\nB", "S", false},
        {"one[BR]two[bR]|S", "one\r\ntwo\r\n", "S", false},
        {"x|y|S", "x", "y", false},  // a bar in the message shifts the pieces
        {"hand written", "hand written", std::nullopt, false},
        {"|subject only", "", "subject only", true},
        {"|", "", "", true},
        {"m|", "m", "", false},
        {"[br", "[br", std::nullopt, false},
    };
    for (const Row& r : rows) {
        DecodedRecord d = decodeRecord(r.line);
        EXPECT_EQ(d.message, r.message) << r.line;
        EXPECT_EQ(d.subject, r.subject) << r.line;
        EXPECT_EQ(d.blank, r.blank) << r.line;
    }
    EXPECT_EQ(decodeRecord(encodeRecord("l1\r\nl2\r\n", "s")).message, "l1\r\nl2\r\n");
}

TEST(MessageLibrary, FailuresLeaveTheFileAsItWas) {
    TempFolder dir;
    Status save = saveMessage(dir.path(), "m", "s");
    ASSERT_FALSE(save.ok());
    EXPECT_EQ(save.error().code, ErrorCode::NotFound);
    EXPECT_FALSE(dir.exists("messages.txt"));  // nothing is created behind the user's back
    EXPECT_FALSE(deleteMessage(dir.path(), "m").ok());
    EXPECT_EQ(loadMessageList(dir.path()).error().code, ErrorCode::NotFound);

    std::filesystem::create_directory(dir.file("messages.txt"));
    save = saveMessage(dir.path(), "m", "s");
    ASSERT_FALSE(save.ok());
    EXPECT_NE(save.error().text.find("messages.txt"), std::string::npos);
}

}  // namespace
}  // namespace boardcast
