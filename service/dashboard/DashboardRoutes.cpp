#include "service/dashboard/DashboardRoutes.h"

#include "service/dashboard/DashboardBriefing.h"
#include "service/dashboard/DashboardSummary.h"
#include "service/http/Route.h"
#include "service/http/ServiceError.h"

namespace zelvorin::service {

namespace {

std::string textMember(const Json& body, const char* key) {
    const auto member = body.find(key);
    if (member == body.end() || !member->is_string())
        throw ServiceError(ErrorKind::badRequest, std::string(key) + " ontbreekt of is geen tekst.");
    return member->get<std::string>();
}

}  // namespace

void addDashboardRoutes(RouteTable& routes, const ServiceDatabase& database) {
    routes.get("api/native/v1/dashboard/summary", Access::member, [&](RequestContext& context) {
        return Reply::json(dashboardSummary(database, context.caller(),
                                            context.query("period").value_or("kwartaal"),
                                            context.query("from"), context.query("to"), context.now()));
    });
    routes.get("api/native/v1/dashboard/briefing", Access::member, [&](RequestContext& context) {
        return Reply::json(dashboardBriefing(database, context.caller(), context.now()));
    });
    routes.add(HttpMethod::post, "api/native/v1/dashboard/action", Access::member, BodyRule::json(),
               [&](RequestContext& context) {
                   const Json& body = context.body();
                   std::optional<std::string> snoozeUntil;
                   if (body.contains("snoozeUntilDate") && !body["snoozeUntilDate"].is_null())
                       snoozeUntil = textMember(body, "snoozeUntilDate");
                   return Reply::json(
                       decideBriefingAction(database, context.caller(), textMember(body, "actionId"),
                                            textMember(body, "decision"), snoozeUntil, context.now()));
               });
}

}  // namespace zelvorin::service
