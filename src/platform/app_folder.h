#pragma once
// Where the data files live: the folder given with --data-dir, else the per-user data
// folder (~/.local/share/Boardcast). Never the folder the program is installed in.
// Needs the application object and its names to be set up first.

#include <optional>
#include <string>

namespace boardcast {

std::string chooseAppFolder(const std::optional<std::string>& dataDir);

}  // namespace boardcast
