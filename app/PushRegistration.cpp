#include "app/PushRegistration.h"

namespace zelvorin {

std::string pushTokenHex(std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const std::uint8_t byte : bytes) {
        text.push_back(kDigits[byte >> 4]);
        text.push_back(kDigits[byte & 0x0F]);
    }
    return text;
}

bool registerPushToken(SyncAPIClient& client, const std::string& deviceId,
                       const std::optional<std::vector<std::uint8_t>>& deviceToken) {
    if (!deviceToken) return false;
    try {
        client.action(
            "POST", "api/sync/device/push-token",
            {{"deviceId", deviceId}, {"token", pushTokenHex(*deviceToken)}, {"environment", "production"}},
            /*decode=*/false);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace zelvorin
