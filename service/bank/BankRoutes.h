#pragma once

#include "service/http/Route.h"

namespace zelvorin::service {

class ServiceDatabase;

// The bank family: statement import and the bank feed's fetch.
void addBankRoutes(RouteTable& routes, const ServiceDatabase& database);

}  // namespace zelvorin::service
