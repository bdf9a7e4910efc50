#pragma once

namespace httplib {
class Server;
}

namespace zelvorin::service {

class Authenticator;

// Sign-in routes:
//   GET  native/handoff            the sign-in page; a chosen user (or auto=1[&email=]) is sent
//                                  back to zelvorin://auth?code=...&device_id=... (302)
//   POST api/auth/native/redeem    {deviceId, code}          -> TokenPair
//   POST api/auth/native/refresh   {deviceId, refreshToken}  -> TokenPair (the old one is spent)
void addAuthRoutes(httplib::Server& server, Authenticator& authenticator);

}  // namespace zelvorin::service
