// Boardcast: the command line decides between the desktop program and a headless command.
// The headless commands run here with Qt Core and Network alone; the desktop program is a
// program of its own (boardcast-desktop), started in this process's place, so that a command
// never loads the widgets and the web engine. Every start, desktop or headless, first creates
// the data files that are missing.

#include <unistd.h>
#include <QCoreApplication>
#include <cerrno>
#include <climits>
#include <cstring>
#include <iostream>
#include <string>

#include "app/headless_commands.h"
#include "app/program_start.h"

namespace {

using namespace boardcast;

constexpr const char* kDesktopProgram = "boardcast-desktop";

// The folder this program was started from.
std::string ownFolder() {
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return {};
    const std::string self(path, static_cast<size_t>(n));
    return self.substr(0, self.rfind('/'));
}

// Replaces this process with the desktop program: beside this one in the build folder,
// else where it is installed. argv goes over unchanged, so the desktop program reads the
// same command line (and the window keeps the name the desktop knows it by). Returns only
// when that fails.
int startDesktopProgram(char** argv) {
    const std::string folder = ownFolder();
    std::string tried;
    for (const std::string& candidate :
         {folder + "/" + kDesktopProgram,
          folder + "/" + BOARDCAST_DESKTOP_FROM_BIN + "/" + kDesktopProgram}) {
        if (access(candidate.c_str(), X_OK) != 0) continue;
        execv(candidate.c_str(), argv);
        tried = candidate + ": " + std::strerror(errno);
    }
    if (tried.empty()) tried = std::string(kDesktopProgram) + " is not installed beside " + folder;
    std::cerr << "boardcast: could not start the desktop program (" << tried << ").\n";
    return kExitFailure;
}

// The command line decides; a command runs here, the desktop program in this one's place.
int runProgram(int argc, char** argv) {
    const auto parsed = parseCommandLine(argumentsOf(argc, argv));
    if (std::optional<int> answered = answerDirectly(parsed)) return *answered;
    const CommandLine& line = parsed.value();
    if (line.command == Command::Desktop) return startDesktopProgram(argv);

    QCoreApplication app(argc, argv);
    const std::string folder = prepareStart(line);
    switch (line.command) {
        case Command::Convert:
            return runConvert(line);
        case Command::Watch:
            return runWatch(folder, line.url);
        case Command::Check:
            return runCheck(folder, line.jobs, line.perHost, line.notify);
        case Command::Posts:
            return runPosts(folder);
        case Command::Forums:
            return runForums(folder);
        case Command::Desktop:
        case Command::Help:
        case Command::Version:
            break;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    return runGuarded([argc, argv] { return runProgram(argc, argv); });
}
