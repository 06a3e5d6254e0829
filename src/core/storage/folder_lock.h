#pragma once
// One program at a time changes a data folder. The lock is the kernel's (flock) on the
// file ".lock" in the folder, so a program that dies, however it dies, lets go of it and
// the next one takes it over; nothing stale can refuse a start. The file names the holder
// ("desktop" or a command, and its process id) for the message the next one shows.

#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "core/result.h"

namespace boardcast {

// Who holds a data folder, as its lock file names it: "desktop 1234" for the desktop
// program, "watch 99" for a command. Older and newer programs read each other's files, so
// the text keeps this form.
struct FolderHolder {
    enum class Kind { Desktop, Command };

    Kind kind = Kind::Command;
    std::string command;  // the command's name ("watch", "check"); empty for the desktop
    int pid = 0;

    static FolderHolder desktop(int pid = 0) { return {Kind::Desktop, {}, pid}; }
    static FolderHolder ofCommand(std::string name, int pid = 0) {
        return {Kind::Command, std::move(name), pid};
    }
    bool isDesktop() const { return kind == Kind::Desktop; }

    // "desktop 1234", "watch 99".
    std::string text() const;
    // The holder in a lock file's text; nothing when it is empty or garbled.
    static std::optional<FolderHolder> parse(std::string_view text);

    bool operator==(const FolderHolder&) const = default;
};

// Why a data folder was not taken.
struct FolderRefusal {
    enum class Reason {
        DesktopOpen,  // the desktop program holds it, and keeps it while it is open
        Busy,         // a command holds it and did not let go in time
        CannotLock,   // nobody holds it: a read-only folder, not a folder, no permission
    };

    Reason reason;
    std::string text;  // a sentence for the user, naming the holder when there is one
};

class FolderLock;
// The lock, or why the folder was not taken.
using FolderLockResult = Result<FolderLock, FolderRefusal>;

class FolderLock {
public:
    FolderLock() = default;
    FolderLock(FolderLock&& other) noexcept;
    FolderLock& operator=(FolderLock&& other) noexcept;
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    ~FolderLock();

    // Takes the folder for holder (its pid is this process's). When another program holds
    // it, waits up to waitMs for it to let go, but not for the desktop program, which keeps
    // the folder while it is open.
    static FolderLockResult take(const std::string& folder, const FolderHolder& holder, int waitMs);

    // The holder the folder's lock file names; nothing when there is no file or it is
    // garbled. The file stays when its holder ends: only a failed take() proves it current.
    static std::optional<FolderHolder> holderOf(const std::string& folder);

    bool held() const { return fd_ >= 0; }

private:
    explicit FolderLock(int fd) : fd_(fd) {}
    int fd_ = -1;
};

}  // namespace boardcast
