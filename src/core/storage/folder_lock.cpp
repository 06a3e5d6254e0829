#include "core/storage/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "core/storage/text_file.h"

namespace boardcast {

namespace {

constexpr std::string_view kLockFile = ".lock";

}  // namespace

FolderLock::FolderLock(FolderLock&& other) noexcept : fd_(other.fd_) {
    other.fd_ = -1;
}

FolderLock& FolderLock::operator=(FolderLock&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

FolderLock::~FolderLock() {
    // Closing the file lets go of the lock.
    if (fd_ >= 0) ::close(fd_);
}

Result<FolderLock> FolderLock::acquire(const std::string& folder, std::string_view holder,
                                       int waitMs) {
    const std::string path = joinPath(folder, kLockFile);
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        return Error{ErrorCode::Io, "Could not open " + path + ": " + std::strerror(errno) + "."};
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            const int err = errno;
            ::close(fd);
            return Error{ErrorCode::Io, "Could not lock " + path + ": " + std::strerror(err) + "."};
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            ::close(fd);
            std::string who = holderOf(folder);
            return Error{ErrorCode::Busy, "The data folder " + folder + " is in use" +
                                              (who.empty() ? std::string() : " (" + who + ")") +
                                              "."};
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    // Ours now: say who holds it.
    const std::string text = std::string(holder) + " " + std::to_string(::getpid()) + "\n";
    if (::ftruncate(fd, 0) == 0) {
        [[maybe_unused]] ssize_t written = ::pwrite(fd, text.data(), text.size(), 0);
    }
    return FolderLock(fd);
}

std::string FolderLock::holderOf(const std::string& folder) {
    auto bytes = readFileBytes(joinPath(folder, kLockFile), 256);
    if (!bytes) return {};
    std::string text = bytes.value();
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

}  // namespace boardcast
