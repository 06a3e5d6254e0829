#pragma once
// Commands that run without a display. Each returns the process exit status; results go to
// standard output, problems and progress to standard error.

#include <string>
#include <string_view>

#include "app/command_line.h"
#include "core/storage/folder_lock.h"

namespace boardcast {

// How long a command that changes the lists waits for another one to let go of the folder.
inline constexpr int kFolderWaitMs = 5000;

// The exit status of a program that could not take the data folder: kExitBusy while another
// program holds it, kExitFailure when it cannot be locked at all (a read-only folder, a file
// in its place, no permission).
inline int exitStatusFor(const FolderRefusal& refusal) {
    return refusal.reason == FolderRefusal::Reason::CannotLock ? kExitFailure : kExitBusy;
}

// Takes the data folder for a change by the command of that name ("watch"), waiting up to
// kFolderWaitMs for another command (not for the desktop program, which keeps it), and
// finishes what a crashed writer left. When it cannot, says why on standard error; the
// refusal gives the exit status (exitStatusFor).
FolderLockResult takeFolderForChange(const std::string& folder, std::string_view command);

int runConvert(const CommandLine& line);
int runWatch(const std::string& folder, const std::string& url);
// notify: also a desktop notification naming the posts with new replies.
int runCheck(const std::string& folder, int jobs, int perHost, bool notify);
int runPosts(const std::string& folder);
int runForums(const std::string& folder);

}  // namespace boardcast
