#pragma once

#include <functional>
#include <optional>
#include <string>

namespace zelvorin {

// The system's owner authentication that unlocks the app. On Linux: the account password,
// checked by PAM. Tests use a fake.
class OwnerAuthenticator {
public:
    // Asks the user for what `prompt` asks (the desktop shows a password field); nothing when the
    // user cancels.
    using AskSecret = std::function<std::optional<std::string>(const std::string& prompt)>;

    virtual ~OwnerAuthenticator() = default;
    // The name of the unlock method as the lock screen's button says it.
    virtual std::string methodName() const = 0;
    // Blocks until the owner proved who they are (true) or did not or gave up (false).
    virtual bool authenticate(const std::string& reason, const AskSecret& askSecret) = 0;
};

}  // namespace zelvorin
