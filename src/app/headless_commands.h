#pragma once
// Commands that run without a display. Each returns the process exit status; results go to
// standard output, problems and progress to standard error.

#include <string>

#include "core/command_line.h"

namespace boardcast {

int runConvert(const CommandLine& line);
int runWatch(const std::string& folder, const std::string& url);
int runCheck(const std::string& folder, int jobs);
int runPosts(const std::string& folder);
int runForums(const std::string& folder);

}  // namespace boardcast
