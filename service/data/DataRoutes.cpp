#include "service/data/DataRoutes.h"

#include <httplib.h>

#include "service/data/DataActions.h"
#include "service/http/JsonBody.h"
#include "service/http/ServiceError.h"

namespace zelvorin::service {

namespace {

std::string formPart(const httplib::Request& request, const char* name) {
    if (!request.has_file(name))
        throw ServiceError(ErrorKind::badRequest, std::string("Het veld \"") + name + "\" ontbreekt.");
    return request.get_file_value(name).content;
}

Reply download(DataFile file, const char* contentType) {
    return Reply::content(std::move(file.bytes), contentType)
        .withHeader("Content-Disposition", "attachment; filename=\"" + file.fileName + "\"");
}

}  // namespace

void addDataRoutes(RouteTable& routes, const ServiceDatabase& database) {
    routes.get("api/native/v1/data-stats", Access::member,
               [&](RequestContext& context) { return Reply::json(dataStats(database, context.caller())); });
    // The whole organisation leaves with an export and is overwritten by an import: owners and
    // admins only.
    routes.add(
        HttpMethod::post, "api/native/v1/data/export", Access::admin, BodyRule::json(),
        [&](RequestContext& context) {
            const std::optional<std::string> password = optionalText(context.body(), "password");
            return download(
                exportOrganization(database, context.caller(), password.value_or(""), context.now()),
                "application/octet-stream");
        },
        AuditRule::nothing("reads the organisation into a bundle; changes nothing"));
    routes.add(HttpMethod::post, "api/native/v1/data/import", Access::admin, BodyRule::multipart(),
               [&](RequestContext& context) {
                   const httplib::Request& request = context.request();
                   return Reply::json(importOrganization(
                       database, context.caller(), formPart(request, "mode"), formPart(request, "password"),
                       formPart(request, "bundle"), context.now()));
               });
    routes.add(
        HttpMethod::post, "api/native/v1/data/avg-export", Access::member, BodyRule::none(),
        [&](RequestContext& context) {
            return download(exportPersonalData(database, context.caller(), context.now()), "application/zip");
        },
        AuditRule::nothing("reads the person's data into a ZIP; changes nothing"));
    routes.add(
        HttpMethod::post, "api/native/v1/org/delete", Access::admin, BodyRule::json(),
        [&](RequestContext& context) {
            const std::optional<std::string> name = optionalText(context.body(), "confirmationName");
            deleteOrganization(database, context.caller(), name.value_or(""));
            return Reply::json(Json{{"ok", true}});
        },
        AuditRule::nothing("the organisation's audit log is deleted with it"));
}

}  // namespace zelvorin::service
