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
};

// args excludes the program name. Options may stand before or after the command, as
// "--name value" or "--name=value".
Result<CommandLine> parseCommandLine(const std::vector<std::string>& args);

std::string usageText();

}  // namespace boardcast
