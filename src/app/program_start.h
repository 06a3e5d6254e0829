#pragma once
// What every start does before its work, shared by the command-line program and the
// desktop program: the command line read, the answers that need no work (a usage error,
// --help, --version), and the application's name and data folder.

#include <QStringList>
#include <functional>
#include <optional>
#include <string>

#include "app/command_line.h"

namespace boardcast {

// Runs main's work: an exception that reaches it, or that would end the program anywhere
// else, is told on standard error instead of ending it without a word.
int runGuarded(const std::function<int()>& work);

// argv without the program name, in the system's encoding.
QStringList argumentsOf(int argc, char** argv);

// Prints a usage error, the help or the version when that is what the command line holds,
// and returns the exit status; nothing when there is work to do.
std::optional<int> answerDirectly(const Result<CommandLine>& parsed);

// Names the application (the per-user folders follow the product name), chooses the data
// folder and creates the data files that are missing; a failure is told on standard error
// and the start goes on. Needs the application object. Returns the data folder.
std::string prepareStart(const CommandLine& line);

}  // namespace boardcast
