#pragma once

#include "service/http/Route.h"

namespace zelvorin::service {

class ServiceDatabase;

// Data statistics, the encrypted export and its import, the privacy export, removing the
// organisation.
void addDataRoutes(RouteTable& routes, const ServiceDatabase& database);

}  // namespace zelvorin::service
