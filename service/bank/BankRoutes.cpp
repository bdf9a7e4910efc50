#include "service/bank/BankRoutes.h"

#include <httplib.h>

#include "service/bank/BankImportActions.h"
#include "service/bank/BankMatchActions.h"
#include "service/http/ServiceError.h"

namespace zelvorin::service {

void addBankRoutes(RouteTable& routes, const ServiceDatabase& database) {
    routes.add(
        HttpMethod::post, "api/native/v1/bank/import", Access::member, BodyRule::multipart(),
        [&](RequestContext& context) {
            if (!context.request().has_file("file"))
                throw ServiceError(ErrorKind::badRequest, "Het bankafschrift ontbreekt (veld \"file\").");
            const BankImportOutcome outcome = importStatement(
                database, context.caller(), context.request().get_file_value("file").content, context.now());
            return Reply::json(Json{
                {"imported", outcome.imported}, {"skipped", outcome.skipped}, {"matched", outcome.matched}});
        });
    routes.get("api/native/v1/bank/transactions/{id}/suggestion", Access::member,
               [&](RequestContext& context) {
                   return Reply::json(suggestMatch(database, context.caller(), context.parameter("id")));
               });
    routes.add(
        HttpMethod::post, "api/native/v1/bank/transactions/{id}/match", Access::member, BodyRule::json(),
        [&](RequestContext& context) {
            const Json& body = context.body();
            const auto invoiceId = body.find("invoiceId");
            if (invoiceId == body.end() || !invoiceId->is_string())
                throw ServiceError(ErrorKind::badRequest, "\"invoiceId\" ontbreekt of is geen tekst.");
            std::optional<std::string> invoiceType;
            if (const auto type = body.find("invoiceType"); type != body.end() && !type->is_null()) {
                if (!type->is_string())
                    throw ServiceError(ErrorKind::badRequest, "\"invoiceType\" is geen tekst.");
                invoiceType = type->get<std::string>();
            }
            return Reply::json(matchTransaction(database, context.caller(), context.parameter("id"),
                                                invoiceId->get<std::string>(), invoiceType, context.now()));
        });
    routes.add(HttpMethod::post, "api/native/v1/bank/transactions/{id}/unmatch", Access::member,
               BodyRule::none(), [&](RequestContext& context) {
                   return Reply::json(unmatchTransaction(database, context.caller(), context.parameter("id"),
                                                         context.now()));
               });
    // This service has no connection to a bank: statements arrive by import only. It says so
    // instead of pretending to have fetched nothing.
    routes.add(
        HttpMethod::post, "api/native/v1/bank/sync-now", Access::member, BodyRule::none(),
        [](RequestContext&) {
            return Reply::json(Json{{"imported", 0},
                                    {"skipped", 0},
                                    {"message",
                                     "Er is geen bankkoppeling ingesteld; er is niets opgehaald. Importeer "
                                     "een bankafschrift (CAMT.053, MT940 of CSV)."}});
        });
}

}  // namespace zelvorin::service
