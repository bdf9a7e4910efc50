#pragma once

#include <cstddef>

namespace httplib {
class Server;
}

namespace zelvorin::service {

class Authenticator;
class FaultSwitches;

// The most changes one push may carry, and the largest request body the service reads at all.
inline constexpr std::size_t kMaxPushChanges = 10000;
inline constexpr std::size_t kMaxRequestBodyBytes = 50 * 1024 * 1024;

// POST api/sync/push and GET api/sync/pull for the signed-in device's organisation. A pull page
// passes the fault switches on its way out, so that a test can make it claim more is to come.
void addSyncRoutes(httplib::Server& server, Authenticator& authenticator, FaultSwitches& faults);

}  // namespace zelvorin::service
