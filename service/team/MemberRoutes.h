#pragma once

namespace zelvorin::service {

class MailOutbox;
class RouteTable;
class ServiceDatabase;

// The team, its invitations and its audit log:
//   GET    api/native/v1/members                              -> NativeTeam
//   GET    api/native/v1/members/{userId}                     -> NativeMemberDetail
//   POST   api/native/v1/members/invite                       {email, role, firstName, lastName}
//   PATCH  api/native/v1/members/{userId}                     {role}
//   PATCH  api/native/v1/members/{userId}/name                {name}
//   POST   api/native/v1/members/{userId}/reset-password
//   DELETE api/native/v1/members/{userId}
//   POST   api/native/v1/members/invites/{inviteId}/resend
//   DELETE api/native/v1/members/invites/{inviteId}
//   GET    api/native/v1/audit-log?limit&offset               -> {entries, hasMore}
void addMemberRoutes(RouteTable& routes, const ServiceDatabase& database, const MailOutbox& outbox);

}  // namespace zelvorin::service
