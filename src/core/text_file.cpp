#include "core/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace boardcast {

namespace {

std::function<void()>& beforeRenameHook() {
    static std::function<void()> hook;
    return hook;
}

std::string systemError(int err) { return std::strerror(err); }

Error ioError(const std::string& what, const std::string& path, int err) {
    return {ErrorCode::Io, what + " " + path + ": " + systemError(err) + "."};
}

struct FdCloser {
    int fd;
    ~FdCloser() {
        if (fd >= 0) ::close(fd);
    }
};

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

mode_t defaultFileMode() {
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

std::vector<std::string> splitLines(std::string_view bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r') continue;
        lines.emplace_back(bytes.substr(start, i - start));
        if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < bytes.size()) lines.emplace_back(bytes.substr(start));
    return lines;
}

Result<std::string> readFileBytes(const std::string& path, size_t maxBytes) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return Error{ErrorCode::NotFound, path + " does not exist."};
        return ioError("Could not open", path, errno);
    }
    FdCloser closer{fd};
    struct stat st{};
    if (::fstat(fd, &st) != 0) return ioError("Could not read", path, errno);
    if (!S_ISREG(st.st_mode)) return Error{ErrorCode::Io, path + " is not a plain file."};
    if (static_cast<unsigned long long>(st.st_size) > maxBytes) {
        return Error{ErrorCode::Limit, path + " is too large to load (" +
                                           std::to_string(st.st_size) + " bytes; at most " +
                                           std::to_string(maxBytes) + ")."};
    }
    std::string bytes;
    bytes.resize(static_cast<size_t>(st.st_size));
    size_t got = 0;
    while (true) {
        if (got == bytes.size()) {
            // The file may have grown since fstat; read on, within the limit.
            if (bytes.size() >= maxBytes) break;
            bytes.resize(std::min(maxBytes, bytes.size() + 65536));
        }
        ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            return ioError("Could not read", path, errno);
        }
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    bytes.resize(got);
    return bytes;
}

Result<std::vector<std::string>> readLines(const std::string& path, size_t maxBytes) {
    auto bytes = readFileBytes(path, maxBytes);
    if (!bytes) return bytes.error();
    return splitLines(bytes.value());
}

Status writeFileAtomic(const std::string& path, std::string_view bytes,
                       std::optional<mode_t> mode) {
    struct stat old{};
    bool exists = ::stat(path.c_str(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode)) {
        return Error{ErrorCode::Io, "Could not write " + path + ": a folder of that name is in the way."};
    }
    mode_t newMode = mode ? *mode : (exists ? (old.st_mode & 07777) : defaultFileMode());

    // The temporary file lies beside the target so that the rename stays on one file system.
    size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? std::string(".") : path.substr(0, slash);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string temp = folder + "/." + name + ".tmp-XXXXXX";
    int fd = ::mkstemp(temp.data());
    if (fd < 0) return ioError("Could not write", path, errno);
    FdCloser closer{fd};
    auto fail = [&](int err) -> Status {
        ::unlink(temp.c_str());
        return ioError("Could not write", path, err);
    };
    if (::fchmod(fd, newMode) != 0) return fail(errno);
    if (!writeAll(fd, bytes)) return fail(errno);
    if (::fsync(fd) != 0) return fail(errno);
    if (::close(fd) != 0) {
        closer.fd = -1;
        return fail(errno);
    }
    closer.fd = -1;
    if (beforeRenameHook()) beforeRenameHook()();
    if (::rename(temp.c_str(), path.c_str()) != 0) return fail(errno);
    return {};
}

bool fileExists(const std::string& path) {
    std::string name = fileNameOfPath(path);
    if (name.empty() || name.front() == '.' || name.find_first_of("*?") != std::string::npos) {
        return false;
    }
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string fileNameOfPath(std::string_view path) {
    size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string joinPath(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (!path.empty() && path.back() != '/') path += '/';
    path += name;
    return path;
}

void setBeforeRenameHookForTesting(std::function<void()> hook) {
    beforeRenameHook() = std::move(hook);
}

}  // namespace boardcast
