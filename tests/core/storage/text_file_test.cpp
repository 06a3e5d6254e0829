#include "core/storage/text_file.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <random>

#include "temp_folder.h"

namespace boardcast {
namespace {

using testing_support::TempFolder;
using Lines = std::vector<std::string>;

TEST(TextFile, LineRules) {
    struct Row {
        std::string bytes;
        Lines lines;
    };
    const Row rows[] = {
        {"", {}},
        {"\r\n", {""}},
        {"a", {"a"}},
        {"a\r\n", {"a"}},
        {"a\r\n\r\n", {"a", ""}},
        {"a\rb", {"a", "b"}},
        {"a\nb\r\n", {"a\nb"}},
        {"a\r\r\nb", {"a", "", "b"}},
        {"\n", {"\n"}},
        {"\r", {""}},
        {"a\n\r\nb\r", {"a\n", "b"}},
    };
    for (const Row& r : rows)
        EXPECT_EQ(splitLines(r.bytes), r.lines) << testing::PrintToString(r.bytes);
}

TEST(TextFile, ReadingFaults) {
    TempFolder dir;
    EXPECT_EQ(readLines(dir.file("missing.txt")).error().code, ErrorCode::NotFound);

    std::filesystem::create_directory(dir.file("folder.txt"));
    auto folder = readLines(dir.file("folder.txt"));
    ASSERT_FALSE(folder.ok());
    EXPECT_NE(folder.error().text.find("folder.txt"), std::string::npos);

    dir.write("big.txt", std::string(1000, 'x'));
    EXPECT_EQ(readLines(dir.file("big.txt"), 999).error().code, ErrorCode::Limit);
    EXPECT_EQ(readLines(dir.file("big.txt"), 1000).value(), Lines{std::string(1000, 'x')});
}

TEST(TextFile, LargeAndOddFiles) {
    TempFolder dir;
    // 100 MB of random bytes: refused with a clear error, never loaded into memory.
    {
        std::mt19937 rng(7);
        std::string chunk(1 << 20, '\0');
        for (char& c : chunk) c = static_cast<char>(rng());
        std::ofstream out(dir.file("random.txt"), std::ios::binary);
        for (int i = 0; i < 100; ++i) out << chunk;
    }
    auto random = readLines(dir.file("random.txt"));
    ASSERT_FALSE(random.ok());
    EXPECT_EQ(random.error().code, ErrorCode::Limit);
    EXPECT_NE(random.error().text.find("too large"), std::string::npos);

    // Lines of 1 MB and a file without any line break load whole.
    const std::string mb(1 << 20, 'y');
    dir.write("long.txt", mb + "\r\n" + mb + "\n" + mb);
    EXPECT_EQ(readLines(dir.file("long.txt")).value(), (Lines{mb, mb + "\n" + mb}));
}

TEST(TextFile, AtomicRewrite) {
    TempFolder dir;
    const std::string path = dir.file("data.txt");
    ASSERT_TRUE(writeFileAtomic(path, "first"));
    EXPECT_EQ(dir.read("data.txt"), "first");
    ::chmod(path.c_str(), 0640);
    ASSERT_TRUE(writeFileAtomic(path, "second\r\n"));
    EXPECT_EQ(dir.read("data.txt"), "second\r\n");
    EXPECT_EQ(dir.mode("data.txt"), 0640u);  // an existing file keeps its mode
    ASSERT_TRUE(writeFileAtomic(path, "", 0600));
    EXPECT_EQ(dir.read("data.txt"), "");
    EXPECT_EQ(dir.mode("data.txt"), 0600u);
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(TextFile, FailedRewriteLeavesTheOldFile) {
    TempFolder dir;
    std::filesystem::create_directory(dir.file("in-the-way.txt"));
    Status folder = writeFileAtomic(dir.file("in-the-way.txt"), "x");
    ASSERT_FALSE(folder.ok());
    EXPECT_NE(folder.error().text.find("in-the-way.txt"), std::string::npos);

    EXPECT_FALSE(writeFileAtomic(dir.file("no-such-folder/x.txt"), "x").ok());

    // The process dies between writing the temporary file and the rename.
    dir.write("keep.txt", "old content\r\n");
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        setBeforeRenameHookForTesting([] { ::_exit(3); });
        (void)writeFileAtomic(dir.file("keep.txt"), "new content that never lands\r\n");
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3);
    EXPECT_EQ(dir.read("keep.txt"), "old content\r\n");
}

TEST(TextFile, FileExistsAndNames) {
    TempFolder dir;
    dir.write("plain.txt", "");
    dir.write(".hidden", "");
    dir.write("star*.txt", "");
    std::filesystem::create_directory(dir.file("sub"));
    struct Row {
        std::string path;
        bool exists;
    };
    const Row rows[] = {{dir.file("plain.txt"), true},    {dir.file("PLAIN.TXT"), false},
                        {dir.file("missing.txt"), false}, {dir.file("sub"), false},
                        {dir.file(".hidden"), false},     {dir.file("star*.txt"), false},
                        {dir.file("plain.txt/x"), false}, {"", false}};
    for (const Row& r : rows) EXPECT_EQ(fileExists(r.path), r.exists) << r.path;

    EXPECT_EQ(fileNameOfPath("/a/b/posts.txt"), "posts.txt");
    EXPECT_EQ(fileNameOfPath("posts.txt"), "posts.txt");
    EXPECT_EQ(fileNameOfPath("/a/b/"), "");
    EXPECT_EQ(fileNameOfPath(""), "");
    EXPECT_EQ(joinPath("/a", "b.txt"), "/a/b.txt");
    EXPECT_EQ(joinPath("/a/", "b.txt"), "/a/b.txt");
}

}  // namespace
}  // namespace boardcast
