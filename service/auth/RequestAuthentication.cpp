#include "service/auth/RequestAuthentication.h"

#include <httplib.h>

#include "domain/Timestamps.h"
#include "service/auth/Authenticator.h"
#include "service/http/ServiceError.h"
#include "service/store/ServiceDatabase.h"

namespace zelvorin::service {

namespace {

struct SessionState {
    std::optional<DeviceSession> session;
    std::optional<Membership> membership;
};

}  // namespace

Caller authenticateCaller(const ServiceDatabase& database, const Authenticator& authenticator,
                          const RequestContext& context, Access access) {
    if (context.header("Authorization").empty())
        throw ServiceError(ErrorKind::unauthorized, "Niet aangemeld: het verzoek heeft geen toegangstoken.");
    const std::string token = context.bearerToken();
    if (token.empty()) throw ServiceError(ErrorKind::unauthorized, "Het toegangstoken is ongeldig.");
    const AccessTokenContent content = authenticator.verify(token, context.now());

    const bool needsMembership = access == Access::member || access == Access::admin;
    const SessionState state = database.read([&](Connection& db) {
        SessionState found{signins::session(db, content.sessionId), std::nullopt};
        if (needsMembership)
            found.membership = accounts::membership(db, content.organizationId, content.userId);
        return found;
    });
    if (!state.session || state.session->revoked)
        throw ServiceError(ErrorKind::unauthorized, "Deze sessie is ingetrokken; meld je opnieuw aan.");

    // Seen-at has whole seconds: a burst of requests writes it once.
    const std::string seenAt = formatTimestampSeconds(context.now());
    const std::string userAgent = context.header("User-Agent");
    const std::string& ip = context.request().remote_addr;
    if (state.session->lastSeenAt != seenAt || state.session->userAgent != userAgent ||
        state.session->ip != ip) {
        database.write(
            [&](Connection& db) { signins::touchSession(db, content.sessionId, seenAt, userAgent, ip); });
    }

    if (needsMembership && !state.membership)
        throw ServiceError(ErrorKind::forbidden, "Je bent geen lid (meer) van deze organisatie.");
    if (access == Access::admin && !state.membership->isAdministrator()) {
        throw ServiceError(ErrorKind::forbidden,
                           "Alleen een eigenaar of beheerder van de organisatie mag dit doen.");
    }
    return Caller{content.userId, content.organizationId, content.deviceId, content.sessionId,
                  state.membership};
}

}  // namespace zelvorin::service
