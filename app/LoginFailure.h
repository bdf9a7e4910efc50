#pragma once

#include <exception>
#include <string>
#include <string_view>

namespace zelvorin {

// Why a sign-in did not work, as the login screen shows it. Sign-in never throws to the screen:
// every error of the hand-off or the token exchange becomes one of these.
struct LoginFailure {
    enum class Reason { network, sessionExpired, server };

    Reason reason = Reason::server;
    std::string message;          // Dutch, for the user
    std::string technicalDetail;  // the error's own description

    bool operator==(const LoginFailure&) const = default;

    // The mapping of a caught error; also logs it on the "auth" logger.
    static LoginFailure from(const std::exception_ptr& error);
};

std::string_view rawValue(LoginFailure::Reason reason);

}  // namespace zelvorin
