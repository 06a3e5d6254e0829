#pragma once
// Commands that run without a display. Each returns the process exit status; results go to
// standard output, problems and progress to standard error.

#include <optional>
#include <string>
#include <string_view>

#include "app/command_line.h"
#include "core/storage/folder_lock.h"

namespace boardcast {

// How long a command that changes the lists waits for another one to let go of the folder.
inline constexpr int kFolderWaitMs = 5000;

// Takes the data folder for a change by holder ("watch", "desktop"), waiting up to
// kFolderWaitMs for another command (not for the desktop program, which keeps it), and
// finishes what a crashed writer left. When it cannot, says why on standard error and sets
// exitStatus: kExitBusy while another program holds it, kExitFailure for any other reason
// (a read-only folder, a file in its place, no permission).
std::optional<FolderLock> takeFolderForChange(const std::string& folder, std::string_view holder,
                                              int& exitStatus);

int runConvert(const CommandLine& line);
int runWatch(const std::string& folder, const std::string& url);
// notify: also a desktop notification naming the posts with new replies.
int runCheck(const std::string& folder, int jobs, int perHost, bool notify);
int runPosts(const std::string& folder);
int runForums(const std::string& folder);

}  // namespace boardcast
