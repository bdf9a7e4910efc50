#pragma once

namespace zelvorin::service {

class RouteTable;
class ServiceDatabase;

// The public holidays of a year (open, as the public service answers them) and a schedule's days
// off (members).
void addScheduleRoutes(RouteTable& routes, const ServiceDatabase& database);

}  // namespace zelvorin::service
