#include "core/storage/data_files.h"
#include "core/storage/private_folder.h"

#include <gtest/gtest.h>
#include <unistd.h>

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

// At every start the folder and what it holds are closed to others again, whatever made
// them more open, and a link is neither followed nor changed.
TEST(DataFiles, TheFolderIsClosedToOthersAtEveryStart) {
    TempFolder dir, elsewhere;
    dir.write("posts.txt", "p\r\n");
    dir.write("messages.txt", "m\r\n");
    std::filesystem::create_directories(dir.file("browser/Default"));
    dir.write("browser/Visited Links", "v");
    elsewhere.write("target.txt", "t");
    std::filesystem::permissions(elsewhere.file("target.txt"), std::filesystem::perms(0644));
    std::filesystem::create_symlink(elsewhere.file("target.txt"), dir.file("posts2.txt"));
    for (const char* name : {"posts.txt", "messages.txt", "browser/Visited Links"})
        std::filesystem::permissions(dir.file(name), std::filesystem::perms(0644));
    for (const char* name : {"browser", "browser/Default", "."})
        std::filesystem::permissions(dir.file(name), std::filesystem::perms(0755));

    ASSERT_TRUE(prepareAppFolder(dir.path()));
    for (const char* name : {"posts.txt", "messages.txt", "sizes.txt", "browser/Visited Links"})
        EXPECT_EQ(dir.mode(name), 0600u) << name;
    for (const char* name : {".", "browser"}) EXPECT_EQ(dir.mode(name), 0700u) << name;
    EXPECT_EQ(elsewhere.mode("target.txt"), 0644u);  // the link was not followed
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("posts2.txt")));
    EXPECT_EQ(dir.read("posts.txt"), "p\r\n");
}

TEST(PrivateFolder, OnlyAFolderOfThisUserForThisUserAlone) {
    TempFolder dir;
    std::filesystem::create_directories(dir.file("open"));
    std::filesystem::permissions(dir.file("open"), std::filesystem::perms(0755));
    std::filesystem::create_directories(dir.file("real"));
    std::filesystem::permissions(dir.file("real"), std::filesystem::perms(0700));
    std::filesystem::create_directory_symlink(dir.file("real"), dir.file("link"));
    dir.write("file", "");
    const std::pair<const char*, const char*> rows[] = {
        {"new", ""},
        {"real", ""},
        {"open", "open to other users"},
        {"link", "is a link"},
        {"file", "is not a folder"},
    };
    for (const auto& [name, problem] : rows) {
        const Status s = ensurePrivateFolder(dir.file(name));
        EXPECT_EQ(s.ok(), *problem == '\0') << name;
        if (!s) {
            EXPECT_NE(s.error().text.find(problem), std::string::npos) << s.error().text;
        }
    }
    EXPECT_EQ(dir.mode("new"), 0700u);
    EXPECT_EQ(dir.mode("open"), 0755u);  // never changed: it may be someone's trap
    if (::geteuid() == 0) {              // a folder of another user
        std::filesystem::create_directories(dir.file("theirs"));
        std::filesystem::permissions(dir.file("theirs"), std::filesystem::perms(0700));
        ASSERT_EQ(::chown(dir.file("theirs").c_str(), 65534, 65534), 0);
        const Status s = ensurePrivateFolder(dir.file("theirs"));
        ASSERT_FALSE(s);
        EXPECT_NE(s.error().text.find("belongs to another user"), std::string::npos);
    }
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
