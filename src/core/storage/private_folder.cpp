#include "core/storage/private_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "core/storage/text_file.h"

namespace boardcast {

namespace {

// Whether path is a folder of this user alone; never changes it.
Status checkPrivateFolder(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        return Error{ErrorCode::Io, "Could not read " + path + ": " + std::strerror(errno) + "."};
    }
    if (S_ISLNK(st.st_mode)) return Error{ErrorCode::Io, path + " is a link, not a folder."};
    if (!S_ISDIR(st.st_mode)) return Error{ErrorCode::Io, path + " is not a folder."};
    if (st.st_uid != ::geteuid()) return Error{ErrorCode::Io, path + " belongs to another user."};
    if ((st.st_mode & 077) != 0) return Error{ErrorCode::Io, path + " is open to other users."};
    return {};
}

}  // namespace

Status ensurePrivateFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        return Error{ErrorCode::Io, "Could not make " + path + ": " + std::strerror(errno) + "."};
    }
    return checkPrivateFolder(path);
}

Result<std::string> privateSocketFolder() {
    std::string reasons;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime == '/') {
        // Checked only: the session made it, and it must not be changed.
        const Status checked = checkPrivateFolder(runtime);
        if (checked) return std::string(runtime);
        reasons = checked.error().text + " ";
    }
    std::string cache;
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && *xdg == '/') {
        cache = xdg;
    } else if (const char* home = std::getenv("HOME"); home && *home == '/') {
        cache = joinPath(home, ".cache");
    }
    if (cache.empty()) {
        return Error{ErrorCode::Io,
                     reasons + "There is no home folder to keep the program's socket in."};
    }
    // The usual cache folder and its missing parents (a fresh account has no ~/.cache yet);
    // the modes of folders that exist are the user's business.
    for (size_t slash = cache.find('/', 1);; slash = cache.find('/', slash + 1)) {
        ::mkdir(cache.substr(0, slash).c_str(), 0700);
        if (slash == std::string::npos) break;
    }
    const std::string folder = joinPath(cache, "boardcast");
    if (Status s = ensurePrivateFolder(folder); !s)
        return Error{ErrorCode::Io, reasons + s.error().text};
    return folder;
}

namespace {

// Sets one entry's mode without following a link: a link is opened as itself and left.
Status fixMode(int dirFd, const char* name, const std::string& path, mode_t folderMode,
               mode_t fileMode, bool* isFolder) {
    const int fd = ::openat(dirFd, name, O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    *isFolder = false;
    if (fd < 0) {
        if (errno == ELOOP || errno == ENXIO || errno == ENOENT) return {};  // a link or gone
        return Error{ErrorCode::Io, "Could not open " + path + ": " + std::strerror(errno) + "."};
    }
    struct stat st {};
    Status result;
    if (::fstat(fd, &st) == 0 && (S_ISDIR(st.st_mode) || S_ISREG(st.st_mode)) &&
        st.st_uid == ::geteuid()) {
        *isFolder = S_ISDIR(st.st_mode);
        const mode_t wanted = *isFolder ? folderMode : fileMode;
        if ((st.st_mode & 07777) != wanted && ::fchmod(fd, wanted) != 0) {
            result = Error{ErrorCode::Io,
                           "Could not make " + path + " private: " + std::strerror(errno) + "."};
        }
    }
    ::close(fd);
    return result;
}

Status fixEntries(const std::string& folder, int depth) {
    Status first;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return first;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        bool isFolder = false;
        Status s =
            fixMode(::dirfd(dir), entry->d_name, joinPath(folder, name), 0700, 0600, &isFolder);
        if (!s && first) first = s;
        if (isFolder && depth > 0) {
            Status inner = fixEntries(joinPath(folder, name), depth - 1);
            if (!inner && first) first = inner;
        }
    }
    ::closedir(dir);
    return first;
}

}  // namespace

Status makeDataFolderPrivate(const std::string& folder) {
    bool isFolder = false;
    Status first = fixMode(AT_FDCWD, folder.c_str(), folder, 0700, 0600, &isFolder);
    // The browser's folders hold many levels; their files are what matters, and the
    // browser writes them with the umask the program sets.
    Status entries = fixEntries(folder, 1);
    return !first ? first : entries;
}

}  // namespace boardcast
