#include "service/notifications/NotificationRoutes.h"

#include "service/http/Route.h"
#include "service/http/ServiceError.h"
#include "service/notifications/NotificationActions.h"

namespace zelvorin::service {

namespace {

// As many ids as a device could show at once, and then some.
constexpr std::size_t kMaxIds = 1000;

std::vector<std::string> idsOf(const Json& body) {
    const auto ids = body.find("ids");
    if (ids == body.end() || !ids->is_array())
        throw ServiceError(ErrorKind::badRequest, "Verwacht 'ids': een lijst met meldingen.");
    if (ids->size() > kMaxIds)
        throw ServiceError(ErrorKind::badRequest,
                           "Hoogstens " + std::to_string(kMaxIds) + " meldingen tegelijk.");
    std::vector<std::string> list;
    for (const Json& id : *ids) {
        if (!id.is_string() || id.get_ref<const std::string&>().empty())
            throw ServiceError(ErrorKind::badRequest, "Elk id in 'ids' is een tekst.");
        list.push_back(id.get<std::string>());
    }
    return list;
}

}  // namespace

void addNotificationRoutes(RouteTable& routes, const ServiceDatabase& database) {
    routes.add(HttpMethod::post, "api/native/v1/notifications/mark-read", Access::member, BodyRule::json(),
               [&](RequestContext& context) {
                   const int updated = markNotificationsRead(database, context.caller(),
                                                             idsOf(context.body()), context.now());
                   return Reply::json(Json{{"updated", updated}});
               });
    routes.add(HttpMethod::post, "api/native/v1/notifications/mark-all-read", Access::member,
               BodyRule::none(), [&](RequestContext& context) {
                   return Reply::json(Json{
                       {"updated", markAllNotificationsRead(database, context.caller(), context.now())}});
               });
}

}  // namespace zelvorin::service
