#pragma once

#include <cstddef>

namespace httplib {
class Server;
}

namespace zelvorin::service {

class Authenticator;

// The most changes one push may carry, and the largest request body the service reads at all.
inline constexpr std::size_t kMaxPushChanges = 10000;
inline constexpr std::size_t kMaxRequestBodyBytes = 50 * 1024 * 1024;

// POST api/sync/push and GET api/sync/pull for the signed-in device's organisation.
void addSyncRoutes(httplib::Server& server, Authenticator& authenticator);

}  // namespace zelvorin::service
