#include "core/forums/password_vault.h"

namespace boardcast {

std::string usernameOf(const Forum& forum) {
    return forum.login.substr(0, forum.login.find('|'));
}

std::string passwordOf(const Forum& forum) {
    const size_t bar = forum.login.find('|');
    return bar == std::string::npos ? std::string() : forum.login.substr(bar + 1);
}

Status keepPassword(PasswordVault& vault, const ForumAccounts& accounts, int index) {
    if (index < 0 || index >= accounts.count()) return {};
    const Forum& f = accounts.at(index);
    return vault.write(f.address, usernameOf(f), passwordOf(f));
}

Status copyPasswordsTo(PasswordVault& vault, const ForumAccounts& accounts) {
    for (int i = 0; i < accounts.count(); ++i) {
        if (Status s = keepPassword(vault, accounts, i); !s) return s;
    }
    return {};
}

Status fillPasswordsFrom(PasswordVault& vault, ForumAccounts& accounts) {
    for (int i = 0; i < accounts.count(); ++i) {
        const Forum& f = accounts.at(i);
        auto password = vault.read(f.address, usernameOf(f));
        if (password) {
            accounts.setPasswordOf(i, password.value());
        } else if (password.error().code != ErrorCode::NotFound) {
            return password.error();
        }
    }
    return {};
}

Status removePasswordsFrom(PasswordVault& vault, const ForumAccounts& accounts) {
    Status first;
    for (const Forum& f : accounts.forums()) {
        if (Status s = vault.remove(f.address, usernameOf(f)); !s && first) first = s;
    }
    return first;
}

}  // namespace boardcast
