#pragma once

#include <cstdint>
#include <string>

#include <httplib.h>

#include "service/Storage.h"

namespace zelvorin::service {

class Authenticator;

// Who an authorised request comes from, read from its access token.
struct AccessClaims {
    std::string deviceId, userId, organizationId;
    std::int64_t expiresAt;
};

// Reads "Authorization: Bearer <token>", checks the token and its session, records the session as
// seen, and returns the claims. Throws ServiceError(401, ...) when the header is missing or the
// token is malformed, tampered with, expired or of a revoked session.
AccessClaims authenticateRequest(const httplib::Request& request, Authenticator& authenticator);

// The caller's membership of the organisation of its token. Throws ServiceError(403, ...) when the
// user is no longer a member.
Membership requireMembership(const AccessClaims& claims, const Storage& storage);

}  // namespace zelvorin::service
