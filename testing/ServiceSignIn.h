#pragma once

#include <optional>
#include <string>

#include "api-client/TokenStore.h"
#include "testing/ServiceProcess.h"

namespace zelvorin::testing {

// What the hand-off of a device came back with: the URL the service redirected the browser to
// and the code in it.
struct HandoffRedirect {
    int status = 0;
    std::string location;  // "zelvorin://auth?code=...&device_id=..." on success
    std::string code;      // empty when the location holds none
    std::string verifier;  // what redeems the code: set by requestHandoff, which made it
};

// Walks the development hand-off of a running service (GET native/handoff?auto=1) for `deviceId`
// as `email` (the first demo user when absent), opened with a verifier of its own, and returns
// where it redirected.
HandoffRedirect requestHandoff(const ServiceProcess& service, const std::string& deviceId,
                               const std::optional<std::string>& email = std::nullopt);

// The browser's part of a sign-in a device opened: walks `handoffURL` (from beginHandoff) as
// `email`. The code it returns is redeemed only by that device's process.
HandoffRedirect completeHandoffPage(const ServiceProcess& service, const std::string& handoffURL,
                                    const std::optional<std::string>& email = std::nullopt);

// Signs the device in: hand-off, then redeem of the code. Throws std::runtime_error with the
// service's answer when either step fails.
TokenPair signInDevice(const ServiceProcess& service, const std::string& deviceId,
                       const std::optional<std::string>& email = std::nullopt);

}  // namespace zelvorin::testing
