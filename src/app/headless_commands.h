#pragma once
// Commands that run without a display. Each returns the process exit status.

#include "core/command_line.h"

namespace boardcast {

int runConvert(const CommandLine& line);

}  // namespace boardcast
