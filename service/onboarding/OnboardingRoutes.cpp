#include "service/onboarding/OnboardingRoutes.h"

#include <httplib.h>

#include "service/http/JsonBody.h"
#include "service/http/Route.h"
#include "service/http/ServiceError.h"
#include "service/onboarding/OnboardingActions.h"

namespace zelvorin::service {

void addOnboardingRoutes(RouteTable& routes, const ServiceDatabase& database,
                         const Authenticator& authenticator) {
    // Open to the router: its credential is the one-time onboarding token, which the action spends
    // in the transaction that creates the organisation.
    routes.add(HttpMethod::post, "api/native/onboarding/create-org", Access::open, BodyRule::json(),
               [&](RequestContext& context) {
                   const std::string token = context.bearerToken();
                   if (token.empty())
                       throw ServiceError(ErrorKind::unauthorized,
                                          "Niet aangemeld: het verzoek heeft geen onboardingtoken.");
                   const Json& body = context.body();
                   const std::string name = requiredText(body, "name");
                   const OrganizationDetails details{
                       optionalText(body, "kvkNumber"), optionalText(body, "vatNumber"),
                       optionalText(body, "street"), optionalText(body, "postcode"),
                       optionalText(body, "city")};
                   const CreatedOrganization created =
                       createOrganization(database, authenticator, token, name, context.header("User-Agent"),
                                          context.request().remote_addr, context.now(), details);
                   return Reply::json(Json{{"organizationId", created.organizationId},
                                           {"accessToken", created.tokens.accessToken},
                                           {"refreshToken", created.tokens.refreshToken},
                                           {"expiresIn", created.tokens.expiresIn}});
               });
    routes.add(HttpMethod::post, "api/native/onboarding/step", Access::member, BodyRule::json(),
               [&](RequestContext& context) {
                   const std::int64_t step = requiredInteger(context.body(), "step");
                   return Reply::json(Json{{"step", recordOnboardingStep(database, context.caller(), step)}});
               });
    routes.add(HttpMethod::post, "api/native/onboarding/first-customer", Access::member, BodyRule::json(),
               [&](RequestContext& context) {
                   const Json& body = context.body();
                   const std::string customerId = createFirstCustomer(
                       database, context.caller(), requiredText(body, "companyName"),
                       requiredText(body, "contactPersonName"), requiredText(body, "email"), context.now());
                   return Reply::json(Json{{"customerId", customerId}});
               });
    routes.add(
        HttpMethod::post, "api/native/web-session", Access::member, BodyRule::json(),
        [&](RequestContext& context) {
            const std::string next = requiredText(context.body(), "next");
            return Reply::json(Json{{"url", webSessionUrl(context.header("Host"), next)}});
        },
        AuditRule::nothing("hands out an address to open in the browser"));
}

}  // namespace zelvorin::service
