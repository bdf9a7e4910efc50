#pragma once

namespace zelvorin::service {

class MailOutbox;
class RouteTable;
class ServiceDatabase;

// The organisation's signed-in devices, for owners and admins:
//   GET  api/native/v1/admin/sessions                                  -> {isAdmin, sessions}
//   POST api/native/v1/admin/sessions/revoke                           {kind, id} -> {revoked}
//   POST api/native/v1/members/{userId}/revoke-sessions                -> {revoked: count}
//   POST api/native/v1/members/{userId}/sessions/{sessionId}/revoke    -> {revoked}
// and the members, invitations and audit log of MemberRoutes.
void addTeamRoutes(RouteTable& routes, const ServiceDatabase& database, const MailOutbox& outbox);

}  // namespace zelvorin::service
