#pragma once
// One program at a time changes a data folder. The lock is the kernel's (flock) on the
// file ".lock" in the folder, so a program that dies, however it dies, lets go of it and
// the next one takes it over; nothing stale can refuse a start. The file names the holder
// ("desktop" or a command, and its process id) for the message the next one shows.

#include <string>
#include <string_view>

#include "core/result.h"

namespace boardcast {

class FolderLock {
public:
    FolderLock() = default;
    FolderLock(FolderLock&& other) noexcept;
    FolderLock& operator=(FolderLock&& other) noexcept;
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    ~FolderLock();

    // Takes the folder for holder, waiting up to waitMs for another program to let go. An
    // error of code Busy names the holder in its text; holderOf() gives it as written.
    static Result<FolderLock> acquire(const std::string& folder, std::string_view holder,
                                      int waitMs);

    // What the lock file says of the program that holds it: "desktop 1234", "watch 99", or
    // empty when nobody has written it.
    static std::string holderOf(const std::string& folder);

    bool held() const { return fd_ >= 0; }

private:
    explicit FolderLock(int fd) : fd_(fd) {}
    int fd_ = -1;
};

}  // namespace boardcast
