#pragma once

namespace zelvorin::service {

class RouteTable;
class ServiceDatabase;

// The dashboard:
//   GET  api/native/v1/dashboard/summary?period=[&from=&to=]  -> NativeDashboardSummary
//   GET  api/native/v1/dashboard/briefing                     -> NativeDashboardBriefing
//   POST api/native/v1/dashboard/action {actionId, decision, snoozeUntilDate?} -> {ok}
void addDashboardRoutes(RouteTable& routes, const ServiceDatabase& database);

}  // namespace zelvorin::service
