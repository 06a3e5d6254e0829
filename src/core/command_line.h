#pragma once
// The program's command line: no command opens the desktop program; a command runs headless.

#include <optional>
#include <string>
#include <vector>

#include "core/result.h"

namespace boardcast {

enum class Command { Desktop, Help, Convert, Watch, Check, Posts, Forums };

struct CommandLine {
    Command command = Command::Desktop;
    std::optional<std::string> dataDir;  // --data-dir DIR
    std::optional<std::string> format;   // convert --format NAME
    bool bare = false;                   // convert --bare
    std::string url;                     // watch URL
    int jobs = 1;                        // check --jobs N: pages fetched at once
};

inline constexpr int kMaxJobs = 16;

// Exit statuses of the headless commands.
inline constexpr int kExitFailure = 1;      // the command could not do its work
inline constexpr int kExitUsage = 2;        // the command line was wrong
inline constexpr int kExitSomeFailed = 3;   // check: some posts could not be checked
inline constexpr int kExitBusy = 4;         // watch: another program holds the data folder

// args excludes the program name. Options may stand before or after the command, as
// "--name value" or "--name=value".
Result<CommandLine> parseCommandLine(const std::vector<std::string>& args);

std::string usageText();

}  // namespace boardcast
