#pragma once
// Where the forums and their logins are kept: posts2.txt (with the forums' names and
// formats), and the passwords either there or in the desktop keyring. Moving the passwords
// between the two writes the new place first and clears the old one only once that stands,
// so that a failure at any step leaves every password somewhere; the setting
// "passwordsInKeyring" follows them.

#include <string>
#include <vector>

#include "core/forums/password_vault.h"
#include "core/result.h"
#include "core/shell/program_lists.h"
#include "core/storage/settings_store.h"

namespace boardcast {

class ForumStore {
public:
    // lists, vault and settings must outlive this; whether the passwords are in the keyring
    // is read from settings.
    ForumStore(std::string folder, ProgramLists& lists, PasswordVault& vault,
               SettingsStore& settings);

    bool passwordsInKeyring() const { return inKeyring_; }
    // Fills in the passwords the keyring keeps, after the lists were loaded.
    Status readPasswords();
    // Writes the forums: the selected forum's password into the keyring when they are kept
    // there, then posts2.txt. A list that could not be read is not written over.
    Status store();
    // Removes the forums at rows (in the list's order) with their keyring items.
    void remove(const std::vector<int>& rows);
    // Moves the passwords into the keyring (intoKeyring) or back into posts2.txt. The value
    // is what the user is told of the move that stood; an error's text says where the
    // passwords stayed and why. A move back that could not clear every keyring item still
    // succeeds (posts2.txt holds them all), and its text says so.
    Result<std::string> movePasswords(bool intoKeyring);

private:
    Result<std::string> intoKeyring();
    Result<std::string> outOfKeyring();

    std::string folder_;
    ProgramLists& lists_;
    PasswordVault& vault_;
    SettingsStore& settings_;
    bool inKeyring_ = false;
};

}  // namespace boardcast
