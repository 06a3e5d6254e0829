#pragma once
// Pages and files built into the program.

#include <string_view>

namespace boardcast {

// The first page the main window's browser opens: a getting-started page built into the
// program, so that start-up never waits for the network.
inline constexpr std::string_view kHomePage = "qrc:/home/index.html";

// Registers the resources of the ui library; call once before the first window.
void initUiResources();

}  // namespace boardcast
