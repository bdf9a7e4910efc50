#include "service/bank/BankRoutes.h"

#include <httplib.h>

#include "service/bank/BankImportActions.h"
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
