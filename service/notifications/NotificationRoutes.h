#pragma once

namespace zelvorin::service {

class RouteTable;
class ServiceDatabase;

// The caller's notifications (the records themselves reach devices by pull):
//   POST api/native/v1/notifications/mark-read       {ids: [String]} -> {updated}
//   POST api/native/v1/notifications/mark-all-read   -> {updated}
void addNotificationRoutes(RouteTable& routes, const ServiceDatabase& database);

}  // namespace zelvorin::service
