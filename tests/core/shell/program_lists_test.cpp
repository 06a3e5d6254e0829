#include "core/shell/program_lists.h"

#include "core/shell/forum_formats.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/storage/data_files.h"
#include "temp_folder.h"

namespace boardcast {
namespace {

using testing_support::TempFolder;

TEST(ProgramLists, CloseThenRestartKeepsEverythingInOrder) {
    TempFolder dir;
    ASSERT_TRUE(prepareAppFolder(dir.path()));
    StartupLists first = loadProgramLists(dir.path());
    EXPECT_TRUE(first.problems.empty());
    EXPECT_EQ(first.lists.posts.count(), 0);
    EXPECT_EQ(first.lists.forums.count(), 0);

    first.lists.posts.append("http://b/2");
    first.lists.posts.append("http://a/1", "1200");
    first.lists.forums.addCurrentForum("http://f/");
    first.lists.forums.setUsernameField("me");
    first.lists.forums.setPasswordField("pw");
    EXPECT_TRUE(saveProgramLists(dir.path(), first.lists).empty());

    StartupLists second = loadProgramLists(dir.path());
    EXPECT_TRUE(second.problems.empty());
    EXPECT_EQ(second.lists.posts.posts(), first.lists.posts.posts());
    EXPECT_EQ(second.lists.forums.forums(), (std::vector<Forum>{{"http://f/", "me|pw"}}));
}

TEST(ProgramLists, UnreadableListsAreReportedAndNotSavedOver) {
    TempFolder dir;
    ASSERT_TRUE(prepareAppFolder(dir.path()));
    dir.write("posts.txt", "http://kept/\r\n");
    std::filesystem::remove(dir.file("sizes.txt"));
    std::filesystem::create_directory(dir.file("sizes.txt"));

    StartupLists startup = loadProgramLists(dir.path());
    ASSERT_EQ(startup.problems.size(), 1u);
    EXPECT_NE(startup.problems[0].find("sizes.txt"), std::string::npos);
    EXPECT_FALSE(startup.lists.postsLoaded);
    EXPECT_TRUE(startup.lists.forumsLoaded);

    EXPECT_TRUE(saveProgramLists(dir.path(), startup.lists).empty());
    EXPECT_EQ(dir.read("posts.txt"), "http://kept/\r\n");
    EXPECT_EQ(dir.read("posts2.txt"), "");
}

// A list over the cap is shown cut, and never written back: that would delete the rest.
TEST(ProgramLists, ListsCutAtTheCapAreNotSavedOver) {
    TempFolder dir;
    ASSERT_TRUE(prepareAppFolder(dir.path()));
    std::string posts, sizes, forums;
    for (int i = 0; i < kMaxListEntries + 3; ++i) {
        posts += "http://p/" + std::to_string(i) + "\r\n\r\n";
        sizes += "1\r\n\r\n";
        forums += "http://f/" + std::to_string(i) + "|u|p\r\n\r\n";
    }
    dir.write("posts.txt", posts);
    dir.write("sizes.txt", sizes);
    dir.write("posts2.txt", forums);

    StartupLists startup = loadProgramLists(dir.path());
    EXPECT_EQ(startup.lists.posts.count(), kMaxListEntries);
    EXPECT_EQ(startup.lists.forums.count(), kMaxListEntries);
    EXPECT_FALSE(startup.lists.postsLoaded);
    EXPECT_FALSE(startup.lists.forumsLoaded);
    ASSERT_EQ(startup.problems.size(), 2u);
    for (const std::string& problem : startup.problems) {
        EXPECT_NE(problem.find("not stored"), std::string::npos) << problem;
    }
    startup.lists.posts.removeAt(0);
    EXPECT_TRUE(saveProgramLists(dir.path(), startup.lists).empty());
    EXPECT_EQ(dir.read("posts.txt"), posts);
    EXPECT_EQ(dir.read("posts2.txt"), forums);
}

TEST(ProgramLists, WriteFailuresAreNamedInOneMessage) {
    TempFolder dir;
    ASSERT_TRUE(prepareAppFolder(dir.path()));
    StartupLists startup = loadProgramLists(dir.path());
    std::filesystem::remove(dir.file("posts2.txt"));
    std::filesystem::create_directory(dir.file("posts2.txt"));
    std::filesystem::remove(dir.file("sizes.txt"));
    std::filesystem::create_directory(dir.file("sizes.txt"));

    std::vector<Error> failures = saveProgramLists(dir.path(), startup.lists);
    ASSERT_EQ(failures.size(), 2u);
    std::string message = listSaveFailureMessage(failures);
    EXPECT_NE(message.find("sizes.txt"), std::string::npos);
    EXPECT_NE(message.find("posts2.txt"), std::string::npos);
    EXPECT_EQ(message.find("posts.txt:"), std::string::npos);
}

// A listed forum keeps its format with it; other sites in the settings, by host and port.
TEST(ForumFormats, KeptByHost) {
    ForumAccounts forums;
    forums.append({"http://Listed.example/forum/", "u|p"});
    MemorySettingsStore settings;
    struct Step {
        std::string page, format;
        bool forumsChanged;
    } steps[] = {
        {"http://listed.example/t/1", "ubb", true},
        {"https://LISTED.example/t/2?page=3", "ubb", false},  // the same again: nothing to store
        {"http://other.example/t/1", "html", false},
        {"http://other.example:8080/t/1", "ezboard", false},
        {"file:///home/me/page.html", "html", false},
    };
    for (const Step& s : steps) {
        const Result<bool> kept = rememberFormat(forums, settings, s.page, s.format);
        ASSERT_TRUE(kept) << s.page;
        EXPECT_EQ(kept.value(), s.forumsChanged) << s.page;
    }
    EXPECT_EQ(forums.formatOf("http://Listed.example/forum/"), "ubb");
    EXPECT_EQ(rememberedFormat(forums, settings, "http://listed.example/other"), "ubb");
    EXPECT_EQ(rememberedFormat(forums, settings, "https://other.example/x"), "html");
    EXPECT_EQ(rememberedFormat(forums, settings, "http://other.example:8080/"), "ezboard");
    EXPECT_EQ(rememberedFormat(forums, settings, "http://new.example/"), "");
    EXPECT_EQ(rememberedFormat(forums, settings, "file:///home/me/page.html"), "");
    EXPECT_EQ(followedFormatText("ubb", "http://Forum.example/t/1"),
              "ubb, as last used on forum.example");
}

}  // namespace
}  // namespace boardcast
