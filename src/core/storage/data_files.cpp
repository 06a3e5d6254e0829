#include "core/storage/data_files.h"

#include <sys/stat.h>

#include <filesystem>
#include <optional>
#include <system_error>

#include "core/storage/private_folder.h"
#include "core/storage/text_file.h"

namespace boardcast {

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
        if (fileExists(path)) continue;
        std::optional<mode_t> mode;
        // Logins and the scanned pages (sessions, form tokens) are the user's alone.
        if (name == kForumsFile || name == "htmltemp.txt") mode = 0600;
        Status s = writeFileAtomic(path, kCrLf, mode);
        if (!s) failures += (failures.empty() ? "" : "\n") + s.error().text;
    }
    // What an older version, a copy or the browser made more open is closed again.
    if (Status s = makeDataFolderPrivate(folder); !s) {
        failures += (failures.empty() ? "" : "\n") + s.error().text;
    }
    if (!failures.empty()) return Error{ErrorCode::Io, failures};
    return {};
}

}  // namespace boardcast
