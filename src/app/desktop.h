#pragma once
// The desktop program: the splash, then the main window and the windows beside it, one
// program per data folder (a second start hands its addresses to the first).

#include <string>
#include <vector>

namespace boardcast {

// Runs until the program ends and returns its exit status. folderGiven tells whether the
// data folder came from --data-dir (the browser then keeps its data inside it). The first
// address opens in the main window, further ones in windows of their own.
int runDesktop(const std::string& folder, bool folderGiven,
               const std::vector<std::string>& addresses);

}  // namespace boardcast
