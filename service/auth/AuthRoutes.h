#pragma once

namespace zelvorin::service {

class AdminGate;
class Authenticator;
class RouteTable;
class ServiceDatabase;

// Signing in and choosing the organisation:
//   GET  native/handoff                  the sign-in page; a chosen user (or auto=1[&email=] with the
//                                        admin token, see AdminGate) is sent
//                                        back to zelvorin://auth?code=...&device_id=... (302), a user
//                                        without organisation to zelvorin://onboarding?token=...
//   POST api/auth/native/redeem          {deviceId, code}          -> TokenPair
//   POST api/auth/native/refresh         {deviceId, refreshToken}  -> TokenPair (the old one is spent)
//   POST api/auth/sign-in/magic-link     {email, callbackURL, newUserCallbackURL}
//   GET  api/native/v1/org/memberships   the caller's organisations
//   POST api/auth/native/switch-org      {organizationId} -> a session there
void addAuthRoutes(RouteTable& routes, const ServiceDatabase& database, const Authenticator& authenticator,
                   const AdminGate& adminGate);

}  // namespace zelvorin::service
