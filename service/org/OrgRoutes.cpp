#include "service/org/OrgRoutes.h"

#include <httplib.h>

#include "service/http/Route.h"
#include "service/http/ServiceError.h"
#include "service/org/FontActions.h"
#include "service/org/IntegrationActions.h"
#include "service/org/LogoActions.h"
#include "service/org/OrgSettingsActions.h"
#include "service/org/ProfileActions.h"

namespace zelvorin::service {
namespace {

const Json kDone{{"ok", true}};

// The bytes of the multipart file part `name`; badRequest when the form has none.
std::string filePart(const RequestContext& context, const char* name) {
    if (!context.request().has_file(name))
        throw ServiceError(ErrorKind::badRequest, std::string("Het formulierveld '") + name + "' ontbreekt.");
    return context.request().get_file_value(name).content;
}

std::optional<std::string> optionalPart(const RequestContext& context, const char* name) {
    if (!context.request().has_file(name)) return std::nullopt;
    return context.request().get_file_value(name).content;
}

void addSettingsRoutes(RouteTable& routes, const ServiceDatabase& database) {
    routes.get("api/native/v1/org-settings", Access::member,
               [&](RequestContext& context) { return Reply::json(orgSettings(database, context.caller())); });
    routes.add(HttpMethod::patch, "api/native/v1/org-settings", Access::admin, BodyRule::json(),
               [&](RequestContext& context) {
                   patchOrgSettings(database, context.caller(), context.body(), context.now());
                   return Reply::json(kDone);
               });
    routes.add(HttpMethod::post, "api/native/v1/org-settings/logo", Access::admin, BodyRule::multipart(),
               [&](RequestContext& context) {
                   return Reply::json(
                       uploadLogo(database, context.caller(), filePart(context, "logo"), context.now()));
               });
}

void addFontRoutes(RouteTable& routes, const ServiceDatabase& database) {
    routes.get("api/native/v1/fonts", Access::member,
               [&](RequestContext& context) { return Reply::json(listFonts(database, context.caller())); });
    routes.add(HttpMethod::post, "api/native/v1/fonts", Access::admin, BodyRule::multipart(),
               [&](RequestContext& context) {
                   return Reply::json(uploadFont(database, context.caller(), filePart(context, "file"),
                                                 optionalPart(context, "family"), context.now()));
               });
    routes.add(HttpMethod::del, "api/native/v1/fonts/{id}", Access::admin, BodyRule::none(),
               [&](RequestContext& context) {
                   deleteFont(database, context.caller(), context.parameter("id"));
                   return Reply::json(kDone);
               });
    routes.get("api/native/v1/fonts/{id}/file", Access::member, [&](RequestContext& context) {
        StoredFile file = fontFile(database, context.caller(), context.parameter("id"));
        return Reply::content(std::move(file.bytes), file.contentType);
    });
}

void addProfileRoutes(RouteTable& routes, const ServiceDatabase& database) {
    routes.get("api/native/v1/profile", Access::member,
               [&](RequestContext& context) { return Reply::json(profile(database, context.caller())); });
    routes.add(HttpMethod::patch, "api/native/v1/profile", Access::member, BodyRule::json(),
               [&](RequestContext& context) {
                   return Reply::json(patchProfile(database, context.caller(), context.body()));
               });
    routes.add(HttpMethod::post, "api/native/v1/profile/photo", Access::member, BodyRule::multipart(),
               [&](RequestContext& context) {
                   return Reply::json(uploadProfilePhoto(database, context.caller(),
                                                         filePart(context, "file"), context.now()));
               });
    routes.add(HttpMethod::post, "api/native/v1/avatars", Access::member, BodyRule::multipart(),
               [&](RequestContext& context) {
                   return Reply::json(uploadAvatar(database, context.caller(), filePart(context, "entity"),
                                                   filePart(context, "entityId"), filePart(context, "file"),
                                                   context.now()));
               });
}

void addIntegrationRoutes(RouteTable& routes, const ServiceDatabase& database) {
    routes.get("api/native/v1/integrations", Access::member, [&](RequestContext& context) {
        return Reply::json(integrationStatus(database, context.caller()));
    });
    routes.add(HttpMethod::patch, "api/native/v1/integrations", Access::admin, BodyRule::json(),
               [&](RequestContext& context) {
                   patchIntegrations(database, context.caller(), context.body(), context.now());
                   return Reply::json(kDone);
               });
    routes.add(HttpMethod::post, "api/native/v1/integrations/keys", Access::admin, BodyRule::json(),
               [&](RequestContext& context) {
                   setIntegrationKey(database, context.caller(), context.body(), context.now());
                   return Reply::json(kDone);
               });
    const auto outside = [&](HttpMethod method, const char* path, BodyRule body, const char* service) {
        routes.add(
            method, path, Access::admin, body,
            [service](RequestContext&) -> Reply { refuseOutsideProvider(service); },
            AuditRule::nothing("refused: nothing outside this machine can be connected"));
    };
    outside(HttpMethod::post, "api/native/v1/integrations/bunq", BodyRule::json(), "bunq");
    outside(HttpMethod::del, "api/native/v1/integrations/bunq", BodyRule::none(), "bunq");
    routes.add(
        HttpMethod::del, "api/native/v1/integrations/oauth/{provider}", Access::admin, BodyRule::none(),
        [](RequestContext& context) -> Reply { refuseOutsideProvider(context.parameter("provider")); },
        AuditRule::nothing("refused: nothing outside this machine can be connected"));
    routes.get("api/native/v1/integrations/google/calendars", Access::member,
               [](RequestContext&) -> Reply { refuseOutsideProvider("Google Agenda"); });
    outside(HttpMethod::post, "api/native/v1/integrations/google/calendars", BodyRule::json(),
            "Google Agenda");
    outside(HttpMethod::patch, "api/native/v1/integrations/google/calendars", BodyRule::json(),
            "Google Agenda");
}

}  // namespace

void addOrgRoutes(RouteTable& routes, const ServiceDatabase& database) {
    addSettingsRoutes(routes, database);
    addFontRoutes(routes, database);
    addProfileRoutes(routes, database);
    addIntegrationRoutes(routes, database);
}

}  // namespace zelvorin::service
