#include "core/storage/folder_lock.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "temp_folder.h"

namespace boardcast {
namespace {

using testing_support::TempFolder;
using Reason = FolderRefusal::Reason;

// The lock file's text is read by older and newer programs alike.
TEST(FolderLock, HolderText) {
    struct Row {
        std::string text;
        std::optional<FolderHolder> holder;
    };
    const Row rows[] = {
        {"desktop 1234", FolderHolder::desktop(1234)},
        {"watch 99\n", FolderHolder::ofCommand("watch", 99)},
        {"check 7\r\n", FolderHolder::ofCommand("check", 7)},
        {"", std::nullopt},
        {"\n", std::nullopt},
        {"desktop", std::nullopt},
        {"desktop ", std::nullopt},
        {" 12", std::nullopt},
        {"watch abc", std::nullopt},
        {"watch 99 1", std::nullopt},
        {"watch -5", std::nullopt},
        {"watch 99999999999", std::nullopt},
        {std::string("\0\xff 1", 4), std::nullopt},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::PrintToString(r.text));
        EXPECT_EQ(FolderHolder::parse(r.text), r.holder);
        if (r.holder) {
            EXPECT_EQ(r.holder->text(), r.text.substr(0, r.text.find_first_of("\r\n")));
        }
    }
}

TEST(FolderLock, LockFileNamesTheHolder) {
    TempFolder tmp;
    EXPECT_EQ(FolderLock::holderOf(tmp.path()), std::nullopt);  // no file yet
    tmp.write(".lock", "a much longer garbled text than any holder\n");
    EXPECT_EQ(FolderLock::holderOf(tmp.path()), std::nullopt);
    {
        auto lock = FolderLock::take(tmp.path(), FolderHolder::ofCommand("watch"), 0);
        ASSERT_TRUE(lock);
        // The holder's pid is this process's, and nothing of the old text is left.
        EXPECT_EQ(tmp.read(".lock"), "watch " + std::to_string(::getpid()) + "\n");
    }
    ASSERT_TRUE(FolderLock::take(tmp.path(), FolderHolder::desktop(), 0));
    EXPECT_EQ(FolderLock::holderOf(tmp.path()), FolderHolder::desktop(::getpid()));
}

// flock locks of two open files conflict within one process, so the other program is a
// first lock taken here.
TEST(FolderLock, TakeOutcomes) {
    constexpr int kWaitMs = 400;
    const std::string self = std::to_string(::getpid());
    struct Row {
        const char* name;
        std::optional<FolderHolder> first;  // holds the folder when the second take starts
        int releaseAfterMs;                 // when the first lets go; 0: never
        std::string folderName;             // under the temporary folder; "" for itself
        std::optional<Reason> refusal;      // none: taken
        std::string textHas;
        int minMs, maxMs;
    };
    const Row rows[] = {
        {"free", std::nullopt, 0, "", std::nullopt, "", 0, kWaitMs / 2},
        {"desktop holds it: no wait", FolderHolder::desktop(), 0, "", Reason::DesktopOpen,
         "(desktop " + self + ")", 0, kWaitMs / 2},
        {"command holds it: wait, then busy", FolderHolder::ofCommand("watch"), 0, "", Reason::Busy,
         "in use (watch " + self + ").", kWaitMs, 10 * kWaitMs},
        {"command lets go while waited for", FolderHolder::ofCommand("watch"), 100, "",
         std::nullopt, "", 100, kWaitMs},
        {"a file, not a folder", std::nullopt, 0, "afile", Reason::CannotLock, "Not a directory", 0,
         kWaitMs / 2},
        {"no such folder", std::nullopt, 0, "missing/deeper", Reason::CannotLock, "No such file", 0,
         kWaitMs / 2},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        TempFolder tmp;
        tmp.write("afile", "x");
        const std::string folder = r.folderName.empty() ? tmp.path() : tmp.file(r.folderName);
        std::optional<FolderLock> first;
        if (r.first) {
            auto taken = FolderLock::take(folder, *r.first, 0);
            ASSERT_TRUE(taken);
            first = std::move(taken).value();
        }
        std::thread releaser;
        if (r.releaseAfterMs > 0) {
            releaser = std::thread([&] {
                std::this_thread::sleep_for(std::chrono::milliseconds(r.releaseAfterMs));
                first.reset();
            });
        }
        const auto start = std::chrono::steady_clock::now();
        auto second = FolderLock::take(folder, FolderHolder::ofCommand("check"), kWaitMs);
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now() - start)
                            .count();
        if (releaser.joinable()) releaser.join();

        EXPECT_GE(ms, r.minMs);
        EXPECT_LT(ms, r.maxMs);
        ASSERT_EQ(second.ok(), !r.refusal);
        if (r.refusal) {
            EXPECT_EQ(second.error().reason, *r.refusal);
            EXPECT_NE(second.error().text.find(r.textHas), std::string::npos)
                << second.error().text;
        } else {
            EXPECT_TRUE(second.value().held());
        }
    }
}

}  // namespace
}  // namespace boardcast
