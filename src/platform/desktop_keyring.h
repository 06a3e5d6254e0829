#pragma once
// The desktop's keyring (the Secret Service) as the forums' password vault. Each call waits
// for the keyring's answer, a few seconds at most.

#include "core/forums/password_vault.h"

namespace boardcast {

class DesktopKeyring final : public PasswordVault {
public:
    Result<std::string> read(const std::string& address, const std::string& username) override;
    Status write(const std::string& address, const std::string& username,
                 const std::string& password) override;
    Status remove(const std::string& address, const std::string& username) override;
};

}  // namespace boardcast
