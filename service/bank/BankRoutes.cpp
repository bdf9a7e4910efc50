#include "service/bank/BankRoutes.h"

#include <httplib.h>

#include "service/bank/BankImportActions.h"
#include "service/bank/BankMatchActions.h"
#include "service/bank/BankRules.h"
#include "service/bank/LinkSearch.h"
#include "service/http/JsonBody.h"
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
            return Reply::json(Json{{"imported", outcome.imported},
                                    {"skipped", outcome.skipped},
                                    {"matched", outcome.matched},
                                    {"categorised", outcome.categorised}});
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
    routes.add(HttpMethod::post, "api/native/v1/bank/transactions/{id}/categorize", Access::member,
               BodyRule::json(), [&](RequestContext& context) {
                   const Json& body = context.body();
                   bool createRule = false;
                   if (const auto rule = body.find("createRule"); rule != body.end() && !rule->is_null()) {
                       if (!rule->is_boolean())
                           throw ServiceError(ErrorKind::badRequest, "\"createRule\" is geen waar/onwaar.");
                       createRule = rule->get<bool>();
                   }
                   return Reply::json(categorizeTransaction(
                       database, context.caller(), context.parameter("id"), requiredText(body, "category"),
                       createRule, optionalText(body, "counterpartyPattern"), context.now()));
               });
    routes.add(
        HttpMethod::post, "api/native/v1/bank/match-search", Access::member, BodyRule::json(),
        [&](RequestContext& context) {
            return Reply::json(searchInvoicesToLink(database, context.caller(),
                                                    requiredText(context.body(), "query"),
                                                    optionalText(context.body(), "direction")));
        },
        AuditRule::nothing("a search"));
    routes.add(HttpMethod::patch, "api/native/v1/bank/accounts/{id}", Access::member, BodyRule::json(),
               [&](RequestContext& context) {
                   return Reply::json(updateBankAccount(database, context.caller(), context.parameter("id"),
                                                        optionalText(context.body(), "name"),
                                                        optionalText(context.body(), "type"), context.now()));
               });
    routes.get("api/native/v1/bank/rules", Access::member, [&](RequestContext& context) {
        return Reply::json(bankRulesOverview(database, context.caller()));
    });
    routes.add(HttpMethod::post, "api/native/v1/bank/rules", Access::member, BodyRule::json(),
               [&](RequestContext& context) {
                   return Reply::json(addBankRule(database, context.caller(),
                                                  requiredText(context.body(), "counterpartyPattern"),
                                                  optionalText(context.body(), "category"), context.now()));
               });
    routes.add(HttpMethod::post, "api/native/v1/bank/rules/activate", Access::member, BodyRule::json(),
               [&](RequestContext& context) {
                   return Reply::json(activateBankRule(
                       database, context.caller(), requiredText(context.body(), "pattern"), context.now()));
               });
    routes.add(HttpMethod::del, "api/native/v1/bank/rules/{id}", Access::member, BodyRule::none(),
               [&](RequestContext& context) {
                   deleteBankRule(database, context.caller(), context.parameter("id"));
                   return Reply::json(Json{{"deleted", true}});
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
        },
        AuditRule::nothing("no bank feed can be connected, so nothing is fetched"));
}

}  // namespace zelvorin::service
