#pragma once

namespace zelvorin::service {

class RouteTable;
class ServiceDatabase;

// The organisation's signed-in devices, for owners and admins:
//   GET  api/native/v1/admin/sessions                                  -> {isAdmin, sessions}
//   POST api/native/v1/admin/sessions/revoke                           {kind, id} -> {revoked}
//   POST api/native/v1/members/{userId}/revoke-sessions                -> {revoked: count}
//   POST api/native/v1/members/{userId}/sessions/{sessionId}/revoke    -> {revoked}
void addTeamRoutes(RouteTable& routes, const ServiceDatabase& database);

}  // namespace zelvorin::service
