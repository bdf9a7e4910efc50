#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "api-client/SyncAPIClient.h"

namespace zelvorin {

// The device token as the service wants it: two lower-case hexadecimal digits per byte.
std::string pushTokenHex(std::span<const std::uint8_t> bytes);

// Registers the device for remote notifications with the service. `deviceToken` is what the
// platform's push provider handed out; nothing when registration failed, and then nothing is sent.
// Linux desktops have no push provider, so there the registration always reports failure.
// True when the service took the token; failures are silent (false).
bool registerPushToken(SyncAPIClient& client, const std::string& deviceId,
                       const std::optional<std::vector<std::uint8_t>>& deviceToken);

}  // namespace zelvorin
