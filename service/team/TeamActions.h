#pragma once

#include <optional>
#include <string>
#include <vector>

#include "service/http/RequestContext.h"
#include "service/store/Accounts.h"
#include "service/store/SignIns.h"

namespace zelvorin::service {

class ServiceDatabase;

// The organisation's signed-in devices, for its admins; each action is one transaction. A session
// of another organisation (or of another member than named) is answered as unknown, so that ids
// do not leak across organisations.

struct ListedSession {
    DeviceSession session;
    std::optional<UserAccount> user;
};
// The sessions that still stand in the caller's organisation, oldest first.
std::vector<ListedSession> standingSessions(const ServiceDatabase& database, const Caller& caller);

// Revokes the session; false when it was revoked already. Throws ServiceError badRequest for a
// kind other than "device", notFound for a session outside the organisation.
bool revokeSession(const ServiceDatabase& database, const Caller& caller, const std::string& kind,
                   const std::string& sessionId);
// Revokes every standing session of the member in the caller's organisation; returns how many.
int revokeMemberSessions(const ServiceDatabase& database, const Caller& caller, const std::string& userId);
// Revokes one session of the member; notFound when it is not theirs in this organisation.
bool revokeMemberSession(const ServiceDatabase& database, const Caller& caller, const std::string& userId,
                         const std::string& sessionId);

}  // namespace zelvorin::service
