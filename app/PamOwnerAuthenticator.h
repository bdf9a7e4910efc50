#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "app/OwnerAuthenticator.h"

namespace zelvorin {

// The account password of the user running the app, checked through a PAM conversation
// (pam_authenticate and pam_acct_mgmt). Every password prompt of the stack goes to `askSecret`.
class PamOwnerAuthenticator final : public OwnerAuthenticator {
public:
    // `service` names the PAM stack; `configurationFolder` replaces /etc/pam.d (tests).
    explicit PamOwnerAuthenticator(std::string service = "login",
                                   std::optional<std::filesystem::path> configurationFolder = std::nullopt);

    std::string methodName() const override { return "toegangscode"; }
    bool authenticate(const std::string& reason, const AskSecret& askSecret) override;

    // The login name of the process's user; empty when it has none.
    static std::string currentUserName();

private:
    std::string service_;
    std::optional<std::filesystem::path> configurationFolder_;
};

}  // namespace zelvorin
