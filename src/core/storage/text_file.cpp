#include "core/storage/text_file.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include <dirent.h>
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

std::string systemError(int err) {
    return std::strerror(err);
}

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
    struct stat st {};
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

namespace {

constexpr std::string_view kTempMarker = ".tmp-";
constexpr std::string_view kCommitFile = ".commit";

std::string folderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

// Makes renames and removals in the folder durable.
void syncFolder(const std::string& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// Writes bytes to a new temporary file beside path, flushed to disk, with the mode the file
// is to have. Returns the temporary file's path.
Result<std::string> writeTemporary(const std::string& path, std::string_view bytes,
                                   std::optional<mode_t> mode) {
    struct stat old {};
    bool exists = ::stat(path.c_str(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode)) {
        return Error{ErrorCode::Io,
                     "Could not write " + path + ": a folder of that name is in the way."};
    }
    mode_t newMode = mode ? *mode : (exists ? (old.st_mode & 07777) : defaultFileMode());

    // The temporary file lies beside the target so that the rename stays on one file system.
    std::string temp =
        folderOf(path) + "/." + fileNameOfPath(path) + std::string(kTempMarker) + "XXXXXX";
    int fd = ::mkstemp(temp.data());
    if (fd < 0) return ioError("Could not write", path, errno);
    FdCloser closer{fd};
    auto fail = [&](int err) -> Error {
        ::unlink(temp.c_str());
        return ioError("Could not write", path, err);
    };
    if (::fchmod(fd, newMode) != 0) return fail(errno);
    if (!writeAll(fd, bytes)) return fail(errno);
    if (::fsync(fd) != 0) return fail(errno);
    closer.fd = -1;
    if (::close(fd) != 0) return fail(errno);
    return temp;
}

}  // namespace

namespace {

Status replaceFile(const std::string& path, std::string_view bytes, std::optional<mode_t> mode,
                   bool runHook) {
    auto temp = writeTemporary(path, bytes, mode);
    if (!temp) return temp.error();
    if (runHook && beforeRenameHook()) beforeRenameHook()();
    if (::rename(temp.value().c_str(), path.c_str()) != 0) {
        const int err = errno;
        ::unlink(temp.value().c_str());
        return ioError("Could not write", path, err);
    }
    syncFolder(folderOf(path));  // the rename itself survives a power cut
    return {};
}

}  // namespace

Status writeFileAtomic(const std::string& path, std::string_view bytes,
                       std::optional<mode_t> mode) {
    return replaceFile(path, bytes, mode, true);
}

// All temporary files first; then a commit file that names them, written atomically; then
// the renames; then the commit file goes. A crash before the commit file stands leaves the
// old files and stray temporary ones; after it, recoverDataFolder finishes the renames.
Status writeFilesTogether(const std::string& folder, const std::vector<FileWrite>& files) {
    std::vector<std::string> temps;
    auto discard = [&] {
        for (const std::string& t : temps) ::unlink(t.c_str());
    };
    std::string commit;
    for (const FileWrite& f : files) {
        const std::string path = joinPath(folder, f.name);
        auto temp = writeTemporary(path, f.bytes, f.mode);
        if (!temp) {
            discard();
            return temp.error();
        }
        temps.push_back(temp.value());
        commit += fileNameOfPath(temp.value()) + "\t" + f.name + "\n";
    }
    const std::string commitPath = joinPath(folder, kCommitFile);
    if (Status s = replaceFile(commitPath, commit, std::nullopt, false); !s) {
        discard();
        return s;
    }
    syncFolder(folder);
    for (size_t i = 0; i < files.size(); ++i) {
        if (beforeRenameHook()) beforeRenameHook()();
        if (::rename(temps[i].c_str(), joinPath(folder, files[i].name).c_str()) != 0) {
            // Left to the next start, which finishes what the commit file names.
            return ioError("Could not write", joinPath(folder, files[i].name), errno);
        }
    }
    syncFolder(folder);
    ::unlink(commitPath.c_str());
    syncFolder(folder);
    return {};
}

namespace {

// One rename that a commit file names: a temporary file and the file it replaces.
struct CommitEntry {
    std::string temp;
    std::string name;
};

// The commit file's text; empty when there is none.
std::string commitText(const std::string& folder) {
    auto commit = readFileBytes(joinPath(folder, kCommitFile));
    return commit ? commit.value() : std::string();
}

// The renames a commit names, one a line ("temp<TAB>name"). Only our own names count: an
// entry with a folder part is left out, so nothing outside the folder is ever touched.
std::vector<CommitEntry> commitEntries(std::string_view commit) {
    std::vector<CommitEntry> entries;
    while (!commit.empty()) {
        const size_t end = commit.find('\n');
        const std::string_view line = commit.substr(0, end);
        commit = end == std::string_view::npos ? std::string_view() : commit.substr(end + 1);
        const size_t tab = line.find('\t');
        if (tab == std::string_view::npos || line.find('/') != std::string_view::npos) continue;
        entries.push_back({std::string(line.substr(0, tab)), std::string(line.substr(tab + 1))});
    }
    return entries;
}

// What tells one state of a group of files from the next: the commit and each file's inode,
// change time and size, which a rename replaces.
std::string stateOf(const std::string& folder, const std::string& commit,
                    const std::vector<std::string>& names) {
    std::string state = commit;
    for (const std::string& name : names) {
        struct stat st {};
        if (::stat(joinPath(folder, name).c_str(), &st) != 0) {
            state += "|-";
            continue;
        }
        state += "|" + std::to_string(st.st_ino) + ":" + std::to_string(st.st_ctim.tv_sec) + "." +
                 std::to_string(st.st_ctim.tv_nsec) + ":" + std::to_string(st.st_size);
    }
    return state;
}

}  // namespace

Result<std::vector<std::string>> readFilesTogether(const std::string& folder,
                                                   const std::vector<std::string>& names,
                                                   size_t maxBytes,
                                                   const std::vector<std::string>& mayBeMissing) {
    constexpr int kAttempts = 200;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        const std::string commit = commitText(folder);
        const std::string before = stateOf(folder, commit, names);
        const std::vector<CommitEntry> committed = commitEntries(commit);
        std::vector<std::string> contents;
        std::optional<Error> failure;
        for (const std::string& name : names) {
            // A write that stands committed: its new bytes, from the temporary file while
            // it has not been renamed yet.
            const auto entry =
                std::find_if(committed.begin(), committed.end(),
                             [&name](const CommitEntry& e) { return e.name == name; });
            if (entry != committed.end()) {
                auto bytes = readFileBytes(joinPath(folder, entry->temp), maxBytes);
                if (bytes) {
                    contents.push_back(std::move(bytes.value()));
                    continue;
                }
                if (bytes.error().code != ErrorCode::NotFound) {
                    failure = bytes.error();
                    break;
                }
            }
            auto bytes = readFileBytes(joinPath(folder, name), maxBytes);
            if (!bytes && bytes.error().code == ErrorCode::NotFound &&
                std::find(mayBeMissing.begin(), mayBeMissing.end(), name) != mayBeMissing.end()) {
                contents.emplace_back();
                continue;
            }
            if (!bytes) {
                failure = bytes.error();
                break;
            }
            contents.push_back(std::move(bytes.value()));
        }
        // A write that went on meanwhile: read again.
        if (stateOf(folder, commitText(folder), names) != before) continue;
        if (failure) return *failure;
        return contents;
    }
    return Error{ErrorCode::Busy,
                 "The data files in " + folder + " kept changing while they were read; try again."};
}

Status recoverDataFolder(const std::string& folder) {
    Status result;
    const std::string commitPath = joinPath(folder, kCommitFile);
    if (auto commit = readFileBytes(commitPath)) {
        // A group write stood committed when it was cut short: finish its renames.
        for (const CommitEntry& e : commitEntries(commit.value())) {
            const std::string temp = joinPath(folder, e.temp);
            if (::access(temp.c_str(), F_OK) == 0 &&
                ::rename(temp.c_str(), joinPath(folder, e.name).c_str()) != 0) {
                result = ioError("Could not finish writing", joinPath(folder, e.name), errno);
            }
        }
        if (result) ::unlink(commitPath.c_str());
        syncFolder(folder);
    }
    // Temporary files of writes that were killed (some hold passwords) go.
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return result;
    std::vector<std::string> stale;
    while (dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        const size_t marker = name.rfind(kTempMarker);
        if (name.starts_with('.') && marker != std::string_view::npos &&
            name.size() == marker + kTempMarker.size() + 6) {
            stale.emplace_back(name);
        }
    }
    ::closedir(dir);
    for (const std::string& name : stale) ::unlink(joinPath(folder, name).c_str());
    return result;
}

bool fileExists(const std::string& path) {
    std::string name = fileNameOfPath(path);
    if (name.empty() || name.front() == '.' || name.find_first_of("*?") != std::string::npos) {
        return false;
    }
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string fileNameOfPath(std::string_view path) {
    size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string escapedField(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\\':
                out += "\\\\";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string unescapedField(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\' || i + 1 == field.size()) {
            out += field[i];
            continue;
        }
        const char c = field[++i];
        out += c == 't' ? '\t' : c == 'r' ? '\r' : c == 'n' ? '\n' : c;
    }
    return out;
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
