#include "service/auth/RequestAuthentication.h"

#include <chrono>

#include "domain/Timestamps.h"
#include "service/ServiceError.h"
#include "service/auth/Authenticator.h"

namespace zelvorin::service {

AccessClaims authenticateRequest(const httplib::Request& request, Authenticator& authenticator) {
    static constexpr std::string_view kBearer = "Bearer ";
    const std::string header = request.get_header_value("Authorization");
    if (header.empty()) throw ServiceError(401, "Niet aangemeld: het verzoek heeft geen toegangstoken.");
    if (header.size() <= kBearer.size() || header.compare(0, kBearer.size(), kBearer) != 0) {
        throw ServiceError(401, "Het toegangstoken is ongeldig.");
    }
    const AccessTokenContent content = authenticator.verify(header.substr(kBearer.size()));
    authenticator.store().touchSession(
        content.sessionId, formatTimestampSeconds(TimePoint{std::chrono::seconds(authenticator.now())}),
        request.get_header_value("User-Agent"), request.remote_addr);
    return AccessClaims{content.deviceId, content.userId, content.organizationId, content.expiresAt};
}

Membership requireMembership(const AccessClaims& claims, const Storage& storage) {
    for (const Membership& membership : storage.memberships()) {
        if (membership.userId == claims.userId && membership.organizationId == claims.organizationId) {
            return membership;
        }
    }
    throw ServiceError(403, "Je bent geen lid (meer) van deze organisatie.");
}

}  // namespace zelvorin::service
