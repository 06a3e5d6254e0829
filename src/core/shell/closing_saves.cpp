#include "core/shell/closing_saves.h"

#include "core/conversion/message_output.h"

namespace boardcast {

std::vector<Error> saveAtClose(const std::string& folder, const ProgramLists& lists,
                               bool passwordsInKeyring, SettingsStore& settings,
                               const OpenMessage& message) {
    std::vector<Error> failures = saveProgramLists(folder, lists, passwordsInKeyring);
    if (Status s = storeMessage(settings, message.text); !s) failures.push_back(s.error());
    if (Status s = storeChooserChoice(settings, message.chooserIndex, message.chooserName); !s)
        failures.push_back(s.error());
    return failures;
}

}  // namespace boardcast
