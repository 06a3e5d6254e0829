#include "core/storage/data_files.h"

#include <sys/stat.h>

#include <filesystem>
#include <optional>
#include <system_error>

#include "core/storage/text_file.h"

namespace boardcast {

namespace {

void restrictToOwner(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && (st.st_mode & 0077) != 0) {
        ::chmod(path.c_str(), st.st_mode & 0700);
    }
}

}  // namespace

Status prepareAppFolder(const std::string& folder) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        return Error{ErrorCode::Io,
                     "Could not create the data folder " + folder + ": " + ec.message() + "."};
    }
    std::string failures;
    for (std::string_view name : kDataFiles) {
        const std::string path = joinPath(folder, name);
        if (fileExists(path)) {
            // A file once made more open (an older version, a copy) is closed again.
            if (name == kForumsFile || name == "htmltemp.txt") restrictToOwner(path);
            continue;
        }
        std::optional<mode_t> mode;
        // Logins and the scanned pages (sessions, form tokens) are the user's alone.
        if (name == kForumsFile || name == "htmltemp.txt") mode = 0600;
        Status s = writeFileAtomic(path, kCrLf, mode);
        if (!s) failures += (failures.empty() ? "" : "\n") + s.error().text;
    }
    if (!failures.empty()) return Error{ErrorCode::Io, failures};
    return {};
}

}  // namespace boardcast
