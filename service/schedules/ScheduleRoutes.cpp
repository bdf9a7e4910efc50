#include "service/schedules/ScheduleRoutes.h"

#include "service/http/Route.h"
#include "service/schedules/DayOffActions.h"
#include "service/schedules/PublicHolidayAnswer.h"

namespace zelvorin::service {

void addScheduleRoutes(RouteTable& routes, const ServiceDatabase& database) {
    routes.get("api/v3/publicholidays/{year}/{country}", Access::open, [](RequestContext& context) {
        return Reply::json(publicHolidayAnswer(context.parameter("year"), context.parameter("country")));
    });
    routes.get("api/native/v1/schedules/{id}/days-off", Access::member, [&](RequestContext& context) {
        return Reply::json(listDaysOff(database, context.caller(), context.parameter("id")));
    });
    routes.add(HttpMethod::post, "api/native/v1/schedules/{id}/days-off", Access::member, BodyRule::json(),
               [&](RequestContext& context) {
                   return Reply::json(addDayOff(database, context.caller(), context.parameter("id"),
                                                context.body(), context.now()));
               });
    routes.add(HttpMethod::del, "api/native/v1/schedules/{id}/days-off/{dayOffId}", Access::member,
               BodyRule::none(), [&](RequestContext& context) {
                   return Reply::json(removeDayOff(database, context.caller(), context.parameter("id"),
                                                   context.parameter("dayOffId")));
               });
}

}  // namespace zelvorin::service
