// The desktop program, started by `boardcast` with no command (or with addresses to open),
// so that the headless commands never load the widgets and the web engine.

#include <QApplication>
#include <iostream>

#include "app/desktop.h"
#include "app/program_start.h"

namespace {

int runProgram(int argc, char** argv) {
    using namespace boardcast;
    const auto parsed = parseCommandLine(argumentsOf(argc, argv));
    if (std::optional<int> answered = answerDirectly(parsed)) return *answered;
    const CommandLine& line = parsed.value();
    if (line.command != Command::Desktop) {
        std::cerr << "boardcast: commands run from boardcast, not from the desktop program.\n";
        return kExitUsage;
    }
    QApplication app(argc, argv);
    const std::string folder = prepareStart(line);
    return runDesktop(folder, line.dataDir.has_value(), line.addresses);
}

}  // namespace

int main(int argc, char** argv) {
    return boardcast::runGuarded([argc, argv] { return runProgram(argc, argv); });
}
