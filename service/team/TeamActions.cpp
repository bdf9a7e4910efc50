#include "service/team/TeamActions.h"

#include "service/http/ServiceError.h"
#include "service/store/ServiceDatabase.h"

namespace zelvorin::service {

namespace {

constexpr const char* kDeviceKind = "device";

void requireSessionInOrganization(Connection& db, const Caller& caller, const std::string& sessionId,
                                  const std::optional<std::string>& userId) {
    const std::optional<DeviceSession> session = signins::session(db, sessionId);
    if (!session || session->organizationId != caller.organizationId ||
        (userId && session->userId != *userId))
        throw ServiceError(ErrorKind::notFound, "Deze sessie bestaat niet.");
}

}  // namespace

std::vector<ListedSession> standingSessions(const ServiceDatabase& database, const Caller& caller) {
    return database.read([&](Connection& db) {
        std::vector<ListedSession> listed;
        for (DeviceSession& session : signins::sessionsOf(db, caller.organizationId)) {
            if (session.revoked) continue;
            std::optional<UserAccount> user = accounts::user(db, session.userId);
            listed.push_back({std::move(session), std::move(user)});
        }
        return listed;
    });
}

bool revokeSession(const ServiceDatabase& database, const Caller& caller, const std::string& kind,
                   const std::string& sessionId) {
    if (kind != kDeviceKind)
        throw ServiceError(ErrorKind::badRequest, "Onbekend soort sessie '" + kind + "'.");
    return database.write([&](Connection& db) {
        requireSessionInOrganization(db, caller, sessionId, std::nullopt);
        return signins::revokeSession(db, sessionId) > 0;
    });
}

int revokeMemberSessions(const ServiceDatabase& database, const Caller& caller, const std::string& userId) {
    return database.write(
        [&](Connection& db) { return signins::revokeUserSessions(db, userId, caller.organizationId); });
}

bool revokeMemberSession(const ServiceDatabase& database, const Caller& caller, const std::string& userId,
                         const std::string& sessionId) {
    return database.write([&](Connection& db) {
        requireSessionInOrganization(db, caller, sessionId, userId);
        return signins::revokeSession(db, sessionId) > 0;
    });
}

}  // namespace zelvorin::service
