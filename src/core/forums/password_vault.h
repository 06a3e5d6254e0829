#pragma once
// Where the forums' passwords are kept when they are not in posts2.txt: the desktop's
// keyring, one item a forum login, found by the forum's address and the username. Moving
// them there and back never loses one: the new place is written first, the old cleared
// only after.

#include <string>

#include "core/forums/forum_accounts.h"
#include "core/result.h"

namespace boardcast {

class PasswordVault {
public:
    virtual ~PasswordVault() = default;
    // NotFound when the vault holds no password for the login.
    virtual Result<std::string> read(const std::string& address, const std::string& username) = 0;
    virtual Status write(const std::string& address, const std::string& username,
                         const std::string& password) = 0;
    // Nothing to remove is no failure.
    virtual Status remove(const std::string& address, const std::string& username) = 0;
};

std::string usernameOf(const Forum& forum);
std::string passwordOf(const Forum& forum);

// Writes the forum's password (at index) into the vault.
Status keepPassword(PasswordVault& vault, const ForumAccounts& accounts, int index);

// Writes every forum's password into the vault; the first failure ends it.
Status copyPasswordsTo(PasswordVault& vault, const ForumAccounts& accounts);

// Gives each forum the password the vault holds for its login; forums it knows nothing of
// keep theirs. Stops at the first failure other than a missing password and returns it: a
// keyring that does not answer one would keep the window waiting for every other.
Status fillPasswordsFrom(PasswordVault& vault, ForumAccounts& accounts);

// Removes every forum's password from the vault. Returns the first failure, having tried all.
Status removePasswordsFrom(PasswordVault& vault, const ForumAccounts& accounts);

}  // namespace boardcast
