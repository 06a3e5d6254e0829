#include "core/shell/forum_store.h"

#include "core/storage/settings_keys.h"

namespace boardcast {

namespace {

Error stayed(const char* where, const Error& e) {
    return {e.code, std::string(where) + " " + e.text};
}

}  // namespace

ForumStore::ForumStore(std::string folder, ProgramLists& lists, PasswordVault& vault,
                       SettingsStore& settings)
    : folder_(std::move(folder)),
      lists_(lists),
      vault_(vault),
      settings_(settings),
      inKeyring_(readSetting(settings, keys::passwordsInKeyring) == "1") {}

Status ForumStore::readPasswords() {
    if (!inKeyring_) return {};
    if (Status s = fillPasswordsFrom(vault_, lists_.forums); !s) {
        return Error{s.error().code,
                     "The forums' passwords could not all be read from the desktop keyring. " +
                         s.error().text};
    }
    return {};
}

Status ForumStore::store() {
    if (!lists_.forumsLoaded) return {};
    if (inKeyring_) {
        // posts2.txt keeps what it had when the keyring does not take the password.
        if (Status s = keepPassword(vault_, lists_.forums, lists_.forums.selectedIndex()); !s)
            return s;
    }
    return saveForums(folder_, lists_.forums, inKeyring_);
}

void ForumStore::remove(const std::vector<int>& rows) {
    ForumAccounts& forums = lists_.forums;
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        if (forums.selectedIndex() != *row) forums.selectForum(*row);
        if (inKeyring_) {
            const Forum& gone = forums.at(*row);
            (void)vault_.remove(gone.address, usernameOf(gone));
        }
        forums.removeForum();
    }
}

Result<std::string> ForumStore::movePasswords(bool intoKeyring) {
    if (intoKeyring == inKeyring_) return std::string();
    Result<std::string> moved = intoKeyring ? this->intoKeyring() : outOfKeyring();
    if (moved) inKeyring_ = intoKeyring;
    return moved;
}

Result<std::string> ForumStore::intoKeyring() {
    constexpr const char* kStay = "The passwords stay in posts2.txt.";
    // A keyring that takes nothing is no place for them, even with no forum yet.
    if (Status s = vault_.write("boardcast-probe", "", ""); !s) return stayed(kStay, s.error());
    (void)vault_.remove("boardcast-probe", "");
    if (Status s = copyPasswordsTo(vault_, lists_.forums); !s) return stayed(kStay, s.error());
    if (Status s = writeSetting(settings_, keys::passwordsInKeyring, "1"); !s)
        return stayed(kStay, s.error());
    if (Status s = saveForums(folder_, lists_.forums, true); !s) {
        (void)writeSetting(settings_, keys::passwordsInKeyring, "0");
        return stayed(kStay, s.error());
    }
    return std::string("The passwords are now kept in the desktop keyring.");
}

Result<std::string> ForumStore::outOfKeyring() {
    constexpr const char* kStay = "The passwords stay in the desktop keyring.";
    // Read back whole first: a password the keyring holds is not given up for an empty one.
    if (Status s = fillPasswordsFrom(vault_, lists_.forums); !s) return stayed(kStay, s.error());
    if (Status s = saveForums(folder_, lists_.forums, false); !s) return stayed(kStay, s.error());
    if (Status s = writeSetting(settings_, keys::passwordsInKeyring, "0"); !s)
        return stayed(kStay, s.error());
    if (Status s = removePasswordsFrom(vault_, lists_.forums); !s) {
        return "The passwords are in posts2.txt again, but some could not be removed from the "
               "desktop keyring: " +
               s.error().text;
    }
    return std::string("The passwords are kept in posts2.txt again.");
}

}  // namespace boardcast
