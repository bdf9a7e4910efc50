#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zelvorin::service {

// What an access token says. Its payload is {"did","sub","org","sid","iat","exp"}; "sid" names
// the device session, so that revoking a session also stops its access tokens.
struct AccessTokenContent {
    std::string deviceId;
    std::string userId;
    std::string organizationId;
    std::string sessionId;
    std::int64_t issuedAt = 0;   // unix seconds
    std::int64_t expiresAt = 0;  // unix seconds; the token is refused from this second on
};

// header.payload.signature, each base64url; header {"alg":"HS256","typ":"JWT"}, HMAC-SHA256.
std::string signAccessToken(const AccessTokenContent& content, std::string_view secret);

// Checks shape, header, signature and expiry against `now` (unix seconds). Throws
// ServiceError(unauthorized) with a Dutch text when any of them fails.
AccessTokenContent verifyAccessToken(std::string_view token, std::string_view secret, std::int64_t now);

}  // namespace zelvorin::service
