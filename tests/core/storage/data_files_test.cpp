#include "core/storage/data_files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/storage/text_file.h"
#include "temp_folder.h"

namespace boardcast {
namespace {

using testing_support::TempFolder;

TEST(DataFiles, FirstStartCreatesFiveFilesOfTwoBytes) {
    TempFolder dir;
    const std::string folder = dir.file("nested/Boardcast");
    ASSERT_TRUE(prepareAppFolder(folder));
    for (std::string_view name : kDataFiles) {
        EXPECT_EQ(dir.read("nested/Boardcast/" + std::string(name)), "\r\n") << name;
    }
    EXPECT_EQ(dir.mode("nested/Boardcast/posts2.txt"), 0600u);
}

TEST(DataFiles, ExistingFilesAreLeftUntouched) {
    TempFolder dir;
    dir.write("posts.txt", "http://a/\r\n\r\n");
    dir.write("messages.txt", "");
    ASSERT_TRUE(prepareAppFolder(dir.path()));
    EXPECT_EQ(dir.read("posts.txt"), "http://a/\r\n\r\n");
    EXPECT_EQ(dir.read("messages.txt"), "");
    EXPECT_EQ(dir.read("sizes.txt"), "\r\n");
}

// Files holding logins and scanned pages are closed to others at every start.
TEST(DataFiles, OpenLoginFilesAreClosedAgain) {
    TempFolder dir;
    dir.write("posts2.txt", "a|u|p\r\n");
    dir.write("htmltemp.txt", "x\r\n");
    dir.write("posts.txt", "p\r\n");
    for (const char* name : {"posts2.txt", "htmltemp.txt", "posts.txt"}) {
        std::filesystem::permissions(dir.file(name), std::filesystem::perms(0644));
    }
    ASSERT_TRUE(prepareAppFolder(dir.path()));
    EXPECT_EQ(dir.mode("posts2.txt"), 0600u);
    EXPECT_EQ(dir.mode("htmltemp.txt"), 0600u);
    EXPECT_EQ(dir.mode("posts.txt"), 0644u);
    EXPECT_EQ(dir.read("posts2.txt"), "a|u|p\r\n");
}

// Whoever takes the folder removes what killed writes left: temporary files of ours only.
TEST(DataFiles, RecoveryRemovesStaleTemporaryFilesOnly) {
    TempFolder dir;
    ASSERT_TRUE(prepareAppFolder(dir.path()));
    dir.write(".posts2.txt.tmp-Ab3xYz", "a|u|secret\r\n");
    dir.write(".sizes.txt.tmp-123456", "1\r\n");
    dir.write(".commit.tmp-qwerty", "x");
    dir.write(".notes.tmp-keep", "mine");    // not six characters: not ours
    dir.write("report.tmp-123456", "mine");  // not hidden: not ours
    ASSERT_TRUE(recoverDataFolder(dir.path()).ok());
    for (const char* gone :
         {".posts2.txt.tmp-Ab3xYz", ".sizes.txt.tmp-123456", ".commit.tmp-qwerty"}) {
        EXPECT_FALSE(std::filesystem::exists(dir.file(gone))) << gone;
    }
    EXPECT_TRUE(std::filesystem::exists(dir.file(".notes.tmp-keep")));
    EXPECT_TRUE(std::filesystem::exists(dir.file("report.tmp-123456")));
}

TEST(DataFiles, TabSeparatedFieldsStayOnOneLine) {
    EXPECT_EQ(escapedField("http://a/b"), "http://a/b");
    EXPECT_EQ(escapedField("a\tb\rc\nd\\e"), "a\\tb\\rc\\nd\\\\e");
}

TEST(DataFiles, FailuresAreNamedAndTheRestIsStillCreated) {
    TempFolder dir;
    std::filesystem::create_directory(dir.file("posts.txt"));
    Status s = prepareAppFolder(dir.path());
    ASSERT_FALSE(s.ok());
    EXPECT_NE(s.error().text.find("posts.txt"), std::string::npos);
    EXPECT_EQ(dir.read("sizes.txt"), "\r\n");

    dir.write("plainfile", "");
    Status blocked = prepareAppFolder(dir.file("plainfile/sub"));
    ASSERT_FALSE(blocked.ok());
    EXPECT_NE(blocked.error().text.find("data folder"), std::string::npos);
}

}  // namespace
}  // namespace boardcast
