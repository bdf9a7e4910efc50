#pragma once

namespace zelvorin::service {

class RouteTable;
class ServiceDatabase;

// The signed-in device's organisation's records:
//   POST api/sync/push   PushRequest -> PushResponse
//   GET  api/sync/pull   ?limit&cursor&entityTypes -> PullResponse
void addSyncRoutes(RouteTable& routes, const ServiceDatabase& database);

}  // namespace zelvorin::service
