#include "core/storage/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstring>
#include <thread>

#include "core/storage/text_file.h"

namespace boardcast {

namespace {

constexpr std::string_view kLockFile = ".lock";
constexpr std::string_view kDesktopName = "desktop";

bool isNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
}

}  // namespace

std::string FolderHolder::text() const {
    return (isDesktop() ? std::string(kDesktopName) : command) + " " + std::to_string(pid);
}

std::optional<FolderHolder> FolderHolder::parse(std::string_view text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
    const size_t space = text.find(' ');
    if (space == std::string_view::npos || space == 0) return std::nullopt;
    const std::string_view name = text.substr(0, space);
    const std::string_view digits = text.substr(space + 1);
    for (char c : name) {
        if (!isNameChar(c)) return std::nullopt;
    }
    int pid = 0;
    const auto [end, err] = std::from_chars(digits.data(), digits.data() + digits.size(), pid);
    if (digits.empty() || digits.front() == '-' || err != std::errc() ||
        end != digits.data() + digits.size()) {
        return std::nullopt;
    }
    if (name == kDesktopName) return desktop(pid);
    return ofCommand(std::string(name), pid);
}

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

FolderLockResult FolderLock::take(const std::string& folder, const FolderHolder& holder,
                                  int waitMs) {
    using Reason = FolderRefusal::Reason;
    const std::string path = joinPath(folder, kLockFile);
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        return FolderRefusal{Reason::CannotLock,
                             "Could not open " + path + ": " + std::strerror(errno) + "."};
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            const int err = errno;
            ::close(fd);
            return FolderRefusal{Reason::CannotLock,
                                 "Could not lock " + path + ": " + std::strerror(err) + "."};
        }
        // Read while it is held, so the name is the holder's and not a stale one.
        const std::optional<FolderHolder> who = holderOf(folder);
        const bool desktop = who && who->isDesktop();
        if (desktop || std::chrono::steady_clock::now() >= deadline) {
            ::close(fd);
            return FolderRefusal{desktop ? Reason::DesktopOpen : Reason::Busy,
                                 "The data folder " + folder + " is in use" +
                                     (who ? " (" + who->text() + ")" : std::string()) + "."};
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    // Ours now: say who holds it.
    FolderHolder self = holder;
    self.pid = static_cast<int>(::getpid());
    const std::string text = self.text() + "\n";
    if (::ftruncate(fd, 0) == 0) {
        [[maybe_unused]] ssize_t written = ::pwrite(fd, text.data(), text.size(), 0);
    }
    return FolderLock(fd);
}

std::optional<FolderHolder> FolderLock::holderOf(const std::string& folder) {
    auto bytes = readFileBytes(joinPath(folder, kLockFile), 256);
    if (!bytes) return std::nullopt;
    return FolderHolder::parse(bytes.value());
}

}  // namespace boardcast
