#pragma once
// What the desktop program writes when its window closes in order: the lists, the message in
// the box and the chosen format. Every change was written as it was made; this is the last
// word, so that nothing the user sees is lost.

#include <string>
#include <vector>

#include "core/result.h"
#include "core/shell/program_lists.h"
#include "core/storage/settings_store.h"

namespace boardcast {

struct OpenMessage {
    std::string text;         // the message box, CR LF line breaks
    int chooserIndex = 0;     // the format chooser's selection
    std::string chooserName;  // and its name
};

// Writes everything, going on past a failure; returns the failures, to be shown in one box.
std::vector<Error> saveAtClose(const std::string& folder, const ProgramLists& lists,
                               bool passwordsInKeyring, SettingsStore& settings,
                               const OpenMessage& message);

}  // namespace boardcast
