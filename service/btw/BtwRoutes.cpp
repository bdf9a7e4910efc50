#include "service/btw/BtwRoutes.h"

#include "service/btw/BtwActions.h"
#include "service/http/Route.h"
#include "service/http/ServiceError.h"

namespace zelvorin::service {

namespace {

// The client shows the text of a 422 as it is: a period it cannot read is "Ongeldige periode." too.
int periodNumber(const Json& body, const char* key) {
    const auto member = body.find(key);
    if (member == body.end() || !member->is_number_integer())
        throw ServiceError(ErrorKind::unprocessable, "Ongeldige periode.");
    return member->get<int>();
}

}  // namespace

void addBtwRoutes(RouteTable& routes, const ServiceDatabase& database) {
    routes.add(HttpMethod::post, "api/native/v1/btw/export", Access::member, BodyRule::json(),
               [&](RequestContext& context) {
                   QuarterExport exported =
                       exportQuarter(database, context.caller(), periodNumber(context.body(), "year"),
                                     periodNumber(context.body(), "quarter"));
                   return Reply::content(std::move(exported.csv), "text/csv; charset=utf-8")
                       .withHeader("Content-Disposition",
                                   "attachment; filename=\"" + exported.fileName + "\"");
               });
}

}  // namespace zelvorin::service
