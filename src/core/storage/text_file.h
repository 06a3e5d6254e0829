#pragma once
// Reading and writing the data files. The line rules, stated once for every file: a line
// ends at CR LF or at a lone CR; a lone LF stays inside the line; a last line without a
// line break counts; an empty file has no lines.
//
// Every rewrite is atomic: the bytes go to a temporary file in the same folder, which is
// flushed to disk and then renamed over the old file. A failed write leaves the old file as
// it was and reports why.

#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/result.h"

namespace boardcast {

inline constexpr std::string_view kCrLf = "\r\n";

// The program's lists are indexed with 16-bit signed indices, so a list loaded from a file
// holds at most this many entries.
inline constexpr int kMaxListEntries = 32767;

// Files larger than this are refused on reading rather than loaded into memory.
inline constexpr size_t kMaxDataFileBytes = 64u << 20;

std::vector<std::string> splitLines(std::string_view bytes);

// The whole file. NotFound when it does not exist, Io when it cannot be read or is not a
// plain file, Limit when it is larger than maxBytes.
Result<std::string> readFileBytes(const std::string& path, size_t maxBytes = kMaxDataFileBytes);
Result<std::vector<std::string>> readLines(const std::string& path,
                                           size_t maxBytes = kMaxDataFileBytes);

// Replaces the file's content atomically. mode gives the new file's permission bits; without
// it an existing file keeps its mode and a new one gets the default for the user's umask.
Status writeFileAtomic(const std::string& path, std::string_view bytes,
                       std::optional<mode_t> mode = std::nullopt);

// One file of a group write: its name in the folder, its bytes, its mode as above.
struct FileWrite {
    std::string name;
    std::string bytes;
    std::optional<mode_t> mode;
};

// Replaces several files of one folder together: after a crash at any moment either all
// of them hold the new bytes or all the old (once recoverDataFolder has run). A failure
// before the commit leaves every file as it was.
Status writeFilesTogether(const std::string& folder, const std::vector<FileWrite>& files);

// The bytes of several files of one folder as the last completed change left them, for a
// reader that does not hold the folder: a group write that stands committed (its writer at
// work, or killed between its renames) is read as finished, and a read that a write
// overlapped is taken again. Busy when the files keep changing; otherwise as readFileBytes,
// except that a file named in mayBeMissing that does not exist reads as empty.
Result<std::vector<std::string>> readFilesTogether(
    const std::string& folder, const std::vector<std::string>& names,
    size_t maxBytes = kMaxDataFileBytes, const std::vector<std::string>& mayBeMissing = {});

// For the program that takes the folder, before it reads the lists: finishes a group write
// that a crash cut short after its commit, and removes the temporary files that killed
// writes left behind.
Status recoverDataFolder(const std::string& folder);

// True when a plain, non-hidden file of exactly this path exists. A name holding a wildcard
// character ("*" or "?") never counts, and any error of the file system yields false.
bool fileExists(const std::string& path);

// The text after the last "/" of a path; the whole path when it has none.
std::string fileNameOfPath(std::string_view path);

// A field for tab-separated output: tab, CR, LF and backslash written as \t, \r, \n and \\,
// so that every entry stays one line of two fields.
std::string escapedField(std::string_view text);
// Reads such a field back; a backslash before any other character stands for itself.
std::string unescapedField(std::string_view field);

// folder + "/" + name.
std::string joinPath(std::string_view folder, std::string_view name);

// For tests only: runs before each rename of a temporary file over its file, so a test can
// end the process there (also between the renames of a group write) and check what
// survived.
void setBeforeRenameHookForTesting(std::function<void()> hook);

}  // namespace boardcast
