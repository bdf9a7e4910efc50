#include "service/btw/BtwRoutes.h"

#include <charconv>

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

int periodQuery(const RequestContext& context, const char* name) {
    const std::optional<std::string> text = context.query(name);
    int value = 0;
    if (!text || text->empty() ||
        std::from_chars(text->data(), text->data() + text->size(), value).ptr != text->data() + text->size())
        throw ServiceError(ErrorKind::unprocessable, "Ongeldige periode.");
    return value;
}

}  // namespace

void addBtwRoutes(RouteTable& routes, const ServiceDatabase& database) {
    routes.add(HttpMethod::get, "api/native/v1/btw/summary", Access::member, BodyRule::none(),
               [&](RequestContext& context) {
                   return Reply::json(quarterSummary(database, context.caller(), periodQuery(context, "year"),
                                                     periodQuery(context, "quarter")));
               });
    routes.add(
        HttpMethod::post, "api/native/v1/btw/export", Access::member, BodyRule::json(),
        [&](RequestContext& context) {
            QuarterExport exported =
                exportQuarter(database, context.caller(), periodNumber(context.body(), "year"),
                              periodNumber(context.body(), "quarter"));
            return Reply::content(std::move(exported.csv), "text/csv; charset=utf-8")
                .withHeader("Content-Disposition", "attachment; filename=\"" + exported.fileName + "\"");
        },
        AuditRule::nothing("a download of the quarter's figures"));
    routes.add(HttpMethod::post, "api/native/v1/btw/overige-kosten/{transactionId}/vat-rate", Access::member,
               BodyRule::json(), [&](RequestContext& context) {
                   const auto rate = context.body().find("vatRatePercent");
                   if (rate == context.body().end() || !rate->is_number_integer())
                       throw ServiceError(ErrorKind::badRequest,
                                          "vatRatePercent ontbreekt of is geen getal.");
                   return Reply::json(setOtherCostVatRate(database, context.caller(),
                                                          context.parameter("transactionId"),
                                                          rate->get<int>(), context.now()));
               });
}

}  // namespace zelvorin::service
