#pragma once

namespace httplib {
class Server;
}

namespace zelvorin::service {

class Authenticator;

// Authorised account routes of a signed-in device:
//   GET  api/native/v1/org/memberships                               the caller's organisations
//   POST api/auth/native/switch-org {organizationId}                 a new pair for another organisation
//   GET  api/native/v1/admin/sessions                                device sessions (admin/owner)
//   POST api/native/v1/admin/sessions/revoke {kind, id}              revoke one (admin/owner)
//   POST api/native/v1/members/<userId>/revoke-sessions              all of a member's (admin/owner)
//   POST api/native/v1/members/<userId>/sessions/<sessionId>/revoke  one of a member's (admin/owner)
void addAccountRoutes(httplib::Server& server, Authenticator& authenticator);

}  // namespace zelvorin::service
