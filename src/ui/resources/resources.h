#pragma once
// Pages and files built into the program.

#include <string_view>

namespace boardcast {

// The first page the main window's browser opens: a getting-started page built into the
// program, so that start-up never waits for the network.
inline constexpr std::string_view kHomePage = "qrc:/home/index.html";

// The page the website window opens: the makers and the product, built into the program
// (there is no site to reach).
inline constexpr std::string_view kWebsitePage = "qrc:/website/index.html";

// The help text built into the program, shown when the application folder holds none.
inline constexpr std::string_view kBuiltInHelpFile = ":/help/Help.rtf";

// Registers the resources of the ui library; call once before the first window.
void initUiResources();

}  // namespace boardcast
