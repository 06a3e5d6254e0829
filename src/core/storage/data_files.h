#pragma once
// The application folder and its data files.

#include <array>
#include <string>
#include <string_view>

#include "core/result.h"

namespace boardcast {

// In the order in which a start creates the missing ones.
inline constexpr std::array<std::string_view, 5> kDataFiles = {
    "htmltemp.txt", "messages.txt", "posts.txt", "posts2.txt", "sizes.txt"};

inline constexpr std::string_view kForumsFile = "posts2.txt";

// Creates the folder when it is missing, then each missing data file holding one empty line
// (CR LF); existing files are left untouched. posts2.txt, which holds passwords, is created
// owner-only. Every file is tried; the error names the ones that could not be created.
Status prepareAppFolder(const std::string& folder);

}  // namespace boardcast
