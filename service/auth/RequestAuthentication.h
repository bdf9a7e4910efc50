#pragma once

#include "service/http/Route.h"

namespace zelvorin::service {

class Authenticator;
class ServiceDatabase;

// Who calls a route of `access` (anything but open): the bearer token checked, its session still
// standing (and recorded as seen: when, with which user agent, from where), and for member and
// admin routes the caller's membership of the token's organisation. The router's one way in.
// Throws ServiceError: unauthorized for a missing, malformed, tampered or expired token or a
// revoked session; forbidden for someone who is no (longer a) member, or no admin where one is needed.
Caller authenticateCaller(const ServiceDatabase& database, const Authenticator& authenticator,
                          const RequestContext& context, Access access);

}  // namespace zelvorin::service
