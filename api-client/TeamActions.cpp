#include "api-client/TeamActions.h"

namespace zelvorin::teamactions {

namespace {

const std::string kMembers = "api/native/v1/members";
const nlohmann::ordered_json kNoBody = nlohmann::ordered_json::object();

std::string memberPath(const std::string& userId) {
    return kMembers + "/" + percentEncodeQueryValue(userId);
}
std::string invitePath(const std::string& inviteId) {
    return kMembers + "/invites/" + percentEncodeQueryValue(inviteId);
}

}  // namespace

teamrecords::NativeTeam members(SyncAPIClient& client) {
    return teamrecords::NativeTeam::fromJson(client.fetch(kMembers));
}

teamrecords::NativeMemberDetail member(SyncAPIClient& client, const std::string& userId) {
    return teamrecords::NativeMemberDetail::fromJson(client.fetch(memberPath(userId)));
}

void invite(SyncAPIClient& client, const InviteBody& body) {
    client.action("POST", kMembers + "/invite",
                  {{"email", body.email},
                   {"role", body.role},
                   {"firstName", body.firstName},
                   {"lastName", body.lastName}},
                  false);
}

void setRole(SyncAPIClient& client, const std::string& userId, const std::string& role) {
    client.action("PATCH", memberPath(userId), {{"role", role}}, false);
}

void setName(SyncAPIClient& client, const std::string& userId, const std::string& name) {
    client.action("PATCH", memberPath(userId) + "/name", {{"name", name}}, false);
}

void resetPassword(SyncAPIClient& client, const std::string& userId) {
    client.action("POST", memberPath(userId) + "/reset-password", kNoBody, false);
}

void revokeSessions(SyncAPIClient& client, const std::string& userId) {
    client.action("POST", memberPath(userId) + "/revoke-sessions", kNoBody, false);
}

void revokeSession(SyncAPIClient& client, const std::string& userId, const std::string& sessionId) {
    client.action("POST", memberPath(userId) + "/sessions/" + percentEncodeQueryValue(sessionId) + "/revoke",
                  kNoBody, false);
}

void removeMember(SyncAPIClient& client, const std::string& userId) {
    client.action("DELETE", memberPath(userId), kNoBody, false);
}

void resendInvite(SyncAPIClient& client, const std::string& inviteId) {
    client.action("POST", invitePath(inviteId) + "/resend", kNoBody, false);
}

void removeInvite(SyncAPIClient& client, const std::string& inviteId) {
    client.action("DELETE", invitePath(inviteId), kNoBody, false);
}

teamrecords::AuditLogPage auditLog(SyncAPIClient& client, std::int64_t limit, std::int64_t offset) {
    return teamrecords::AuditLogPage::fromJson(client.fetch(
        "api/native/v1/audit-log", {{"limit", std::to_string(limit)}, {"offset", std::to_string(offset)}}));
}

teamrecords::MarkReadResponse markNotificationsRead(SyncAPIClient& client,
                                                    const std::vector<std::string>& ids) {
    return teamrecords::MarkReadResponse::fromJson(
        client.action("POST", "api/native/v1/notifications/mark-read", {{"ids", ids}}));
}

void markAllNotificationsRead(SyncAPIClient& client) {
    client.action("POST", "api/native/v1/notifications/mark-all-read", kNoBody, false);
}

}  // namespace zelvorin::teamactions
