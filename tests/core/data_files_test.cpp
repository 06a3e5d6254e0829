#include "core/data_files.h"

#include <gtest/gtest.h>

#include <filesystem>

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
