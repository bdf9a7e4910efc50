#include "service/auth/AuthRoutes.h"

#include <httplib.h>

#include "service/admin/AdminGate.h"
#include "service/auth/AuthActions.h"
#include "service/auth/AuthCrypto.h"
#include "service/auth/HandoffPage.h"
#include "service/http/JsonBody.h"
#include "service/http/Route.h"
#include "service/http/ServiceError.h"

namespace zelvorin::service {

namespace {

Json tokenPairJson(const IssuedTokens& tokens) {
    return Json{{"accessToken", tokens.accessToken},
                {"refreshToken", tokens.refreshToken},
                {"expiresIn", tokens.expiresIn}};
}

DeviceDescription requestingDevice(const RequestContext& context) {
    return DeviceDescription{"", "", "", "", context.header("User-Agent"), context.request().remote_addr};
}

// The device items of the hand-off's query, encoded again, so the page's links keep them.
std::string deviceQuery(const RequestContext& context) {
    std::string query;
    for (const char* key :
         {"device_id", "platform", "app_version", "device_name", "code_challenge", "code_challenge_method"}) {
        if (const std::optional<std::string> value = context.query(key))
            query += std::string("&") + key + "=" + httplib::detail::encode_query_param(*value);
    }
    return query;
}

// The S256 challenge the app opened the page with; its code is redeemed only with the verifier.
std::string codeChallenge(const RequestContext& context) {
    const std::optional<std::string> challenge = context.query("code_challenge");
    if (!challenge || challenge->empty())
        throw ServiceError(ErrorKind::badRequest, "De aanvraag mist 'code_challenge'.");
    if (context.query("code_challenge_method") != "S256")
        throw ServiceError(ErrorKind::badRequest, "'code_challenge_method' moet 'S256' zijn.");
    if (!isS256Challenge(*challenge))
        throw ServiceError(ErrorKind::badRequest,
                           "'code_challenge' is geen S256-waarde (43 tekens base64url).");
    return *challenge;
}

Reply handoffRoute(const ServiceDatabase& database, const Authenticator& authenticator,
                   const AdminGate& adminGate, RequestContext& context) {
    DeviceDescription device = requestingDevice(context);
    device.deviceId = context.query("device_id").value_or("");
    device.platform = context.query("platform").value_or("");
    device.appVersion = context.query("app_version").value_or("");
    device.deviceName = context.query("device_name").value_or("");
    if (device.deviceId.empty()) throw ServiceError(ErrorKind::badRequest, "De aanvraag mist 'device_id'.");
    if (device.platform.empty()) throw ServiceError(ErrorKind::badRequest, "De aanvraag mist 'platform'.");
    if (device.appVersion.empty())
        throw ServiceError(ErrorKind::badRequest, "De aanvraag mist 'app_version'.");
    // Signing in without a choice is the operator's shortcut: a page that could trigger it would
    // be handed a code for whichever account comes first.
    const bool automatic = context.query("auto") == "1";
    if (automatic) adminGate.check(context);
    const std::string challenge = codeChallenge(context);
    const HandoffChoice choice{context.query("user"), automatic, context.query("email")};

    const HandoffOutcome outcome = handoff(database, authenticator, device, choice, challenge, context.now());
    switch (outcome.kind) {
        case HandoffOutcome::Kind::chooseAccount:
            return Reply::content(handoffPage(outcome.accounts, deviceQuery(context)),
                                  "text/html; charset=utf-8");
        case HandoffOutcome::Kind::onboarding:
            return Reply::redirect("zelvorin://onboarding?token=" +
                                   httplib::detail::encode_query_param(outcome.code));
        case HandoffOutcome::Kind::signIn:
            break;
    }
    return Reply::redirect("zelvorin://auth?code=" + httplib::detail::encode_query_param(outcome.code) +
                           "&device_id=" + httplib::detail::encode_query_param(device.deviceId));
}

Json membershipsJson(const std::vector<OrganizationChoice>& choices) {
    Json organizations = Json::array();
    for (const OrganizationChoice& choice : choices) {
        organizations.push_back({{"organizationId", choice.organization.id},
                                 {"name", choice.organization.name},
                                 {"role", choice.role},
                                 {"isCurrent", choice.isCurrent}});
    }
    return Json{{"organizations", std::move(organizations)}};
}

}  // namespace

void addAuthRoutes(RouteTable& routes, const ServiceDatabase& database, const Authenticator& authenticator,
                   const AdminGate& adminGate) {
    routes.get("native/handoff", Access::open, [&](RequestContext& context) {
        return handoffRoute(database, authenticator, adminGate, context);
    });
    routes.add(HttpMethod::post, "api/auth/native/redeem", Access::open, BodyRule::json(),
               [&](RequestContext& context) {
                   DeviceDescription device = requestingDevice(context);
                   device.deviceId = requiredText(context.body(), "deviceId");
                   const std::string code = requiredText(context.body(), "code");
                   // Absent, the redeem is refused like a wrong one, and spends the code likewise.
                   const std::string verifier = optionalText(context.body(), "codeVerifier").value_or("");
                   return Reply::json(tokenPairJson(
                       redeemCode(database, authenticator, code, verifier, device, context.now())));
               });
    routes.add(HttpMethod::post, "api/auth/native/refresh", Access::open, BodyRule::json(),
               [&](RequestContext& context) {
                   const std::string deviceId = requiredText(context.body(), "deviceId");
                   const std::string refreshToken = requiredText(context.body(), "refreshToken");
                   return Reply::json(tokenPairJson(
                       refreshTokens(database, authenticator, refreshToken, deviceId, context.now())));
               });
    routes.add(
        HttpMethod::post, "api/auth/sign-in/magic-link", Access::open, BodyRule::json(),
        [&](RequestContext& context) {
            const std::string email = requiredText(context.body(), "email");
            requiredText(context.body(), "callbackURL");
            requiredText(context.body(), "newUserCallbackURL");
            requestMagicLink(database, email, context.now());
            return Reply::json(Json{{"sent", true}});
        },
        AuditRule::nothing("a sign-in request; an account it makes belongs to no organisation yet"));
    routes.get("api/native/v1/org/memberships", Access::signedIn, [&](RequestContext& context) {
        return Reply::json(membershipsJson(organizationsOf(database, context.caller())));
    });
    routes.add(HttpMethod::post, "api/auth/native/switch-org", Access::signedIn, BodyRule::json(),
               [&](RequestContext& context) {
                   const std::string organizationId = requiredText(context.body(), "organizationId");
                   const SwitchedOrganization switched = switchOrganization(
                       database, authenticator, context.caller(), organizationId,
                       context.header("User-Agent"), context.request().remote_addr, context.now());
                   Json body = tokenPairJson(switched.tokens);
                   body["organizationId"] = switched.organizationId;
                   body["requiresLocalWipe"] = switched.requiresLocalWipe;
                   return Reply::json(body);
               });
}

}  // namespace zelvorin::service
