#pragma once
// The program's command line: no command opens the desktop program (on the addresses given,
// if any); a command runs headless. QCommandLineParser splits the words; which options and
// arguments each command takes, and the help texts, come from two tables in command_line.cpp:
// one row a command, one row an option.

#include <QStringList>
#include <optional>
#include <string>
#include <vector>

#include "core/result.h"
#include "core/watching/parallel_check.h"

namespace boardcast {

enum class Command { Desktop, Help, Version, Convert, Watch, Check, Posts, Forums };

struct CommandLine {
    Command command = Command::Desktop;
    Command helpFor = Command::Desktop;  // Help: whose help (Desktop: the overview)
    std::optional<std::string> dataDir;  // --data-dir DIR
    std::optional<std::string> format;   // convert --format NAME
    bool bare = false;                   // convert --bare
    std::string url;                     // watch URL
    std::vector<std::string> addresses;  // desktop: the addresses to open
    int jobs = kDefaultJobs;             // check --jobs N: pages fetched at once
    int perHost = kDefaultPerHost;       // check --per-host M: at most from one host
    bool notify = false;                 // check --notify: a desktop notification too
};

inline constexpr int kMaxJobs = 16;

// Exit statuses of the program.
inline constexpr int kExitFailure = 1;     // the command could not do its work
inline constexpr int kExitUsage = 2;       // the command line was wrong
inline constexpr int kExitSomeFailed = 3;  // check: some posts could not be checked
inline constexpr int kExitBusy = 4;        // the data folder is held by another program

// arguments excludes the program name. Options may stand before or after the command, as
// "--name value" or "--name=value"; "--" ends them.
Result<CommandLine> parseCommandLine(const QStringList& arguments);

// Whether a word is an address the desktop program opens: an http, https or file address,
// without control characters.
bool isOpenableAddress(const QString& word);

// The overview (Command::Desktop) or one command's help.
std::string helpText(Command command = Command::Desktop);
std::string versionText();

}  // namespace boardcast
