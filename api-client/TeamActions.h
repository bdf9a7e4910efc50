#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "api-client/SyncAPIClient.h"
#include "api-client/TeamRecords.h"

// The team's calls: members and invitations, the audit log, and marking notifications read.
// Reads answer with the fetch mapping, changes with the action mapping (403, 404, 409 and 422 carry
// the service's Dutch text).
namespace zelvorin::teamactions {

struct InviteBody {
    std::string email;
    std::string role;
    std::string firstName;
    std::string lastName;
};

teamrecords::NativeTeam members(SyncAPIClient& client);
teamrecords::NativeMemberDetail member(SyncAPIClient& client, const std::string& userId);
void invite(SyncAPIClient& client, const InviteBody& body);
void setRole(SyncAPIClient& client, const std::string& userId, const std::string& role);
void setName(SyncAPIClient& client, const std::string& userId, const std::string& name);
void resetPassword(SyncAPIClient& client, const std::string& userId);
void revokeSessions(SyncAPIClient& client, const std::string& userId);
void revokeSession(SyncAPIClient& client, const std::string& userId, const std::string& sessionId);
void removeMember(SyncAPIClient& client, const std::string& userId);
void resendInvite(SyncAPIClient& client, const std::string& inviteId);
void removeInvite(SyncAPIClient& client, const std::string& inviteId);

// One page, newest first.
teamrecords::AuditLogPage auditLog(SyncAPIClient& client, std::int64_t limit, std::int64_t offset);

teamrecords::MarkReadResponse markNotificationsRead(SyncAPIClient& client,
                                                    const std::vector<std::string>& ids);
void markAllNotificationsRead(SyncAPIClient& client);

}  // namespace zelvorin::teamactions
