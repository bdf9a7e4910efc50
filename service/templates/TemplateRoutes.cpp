#include "service/templates/TemplateRoutes.h"

#include "service/http/JsonBody.h"
#include "service/http/Route.h"
#include "service/templates/DocumentTemplateActions.h"
#include "service/templates/EmailTemplateActions.h"
#include "service/templates/MessagePreviewActions.h"
#include "service/templates/VariableActions.h"

namespace zelvorin::service {
namespace {

const Json kDone{{"ok", true}};

// A member that may be left out (keep), null (clear) or a text (set).
std::optional<std::optional<std::string>> clearableText(const Json& body, const char* key) {
    const auto found = body.find(key);
    if (found == body.end()) return std::nullopt;
    if (found->is_null()) return std::optional<std::string>();
    return optionalText(body, key);
}

EmailTemplateFields emailTemplateFields(const Json& body) {
    EmailTemplateFields fields;
    fields.name = requiredText(body, "name");
    fields.type = requiredText(body, "type");
    fields.language = optionalText(body, "language").value_or("nl");
    fields.subject = optionalText(body, "subject").value_or("");
    fields.body = optionalText(body, "body").value_or("");
    fields.invoiceTemplateId = optionalText(body, "invoiceTemplateId");
    fields.style = optionalText(body, "style");
    return fields;
}

EmailTemplateChange emailTemplateChange(const Json& body) {
    return {optionalText(body, "name"),     optionalText(body, "type"),
            optionalText(body, "language"), optionalText(body, "subject"),
            optionalText(body, "body"),     clearableText(body, "invoiceTemplateId"),
            clearableText(body, "style")};
}

void addEmailTemplateRoutes(RouteTable& routes, const ServiceDatabase& database) {
    routes.get("api/native/v1/email-templates", Access::member, [&](RequestContext& context) {
        return Reply::json(listEmailTemplates(database, context.caller()));
    });
    routes.add(HttpMethod::post, "api/native/v1/email-templates", Access::member, BodyRule::json(),
               [&](RequestContext& context) {
                   return Reply::json(createEmailTemplate(
                       database, context.caller(), emailTemplateFields(context.body()), context.now()));
               });
    routes.add(
        HttpMethod::patch, "api/native/v1/email-templates/{id}", Access::member, BodyRule::json(),
        [&](RequestContext& context) {
            return Reply::json(changeEmailTemplate(database, context.caller(), context.parameter("id"),
                                                   emailTemplateChange(context.body()), context.now()));
        });
    routes.add(HttpMethod::del, "api/native/v1/email-templates/{id}", Access::member, BodyRule::none(),
               [&](RequestContext& context) {
                   deleteEmailTemplate(database, context.caller(), context.parameter("id"), context.now());
                   return Reply::json(kDone);
               });
    routes.add(HttpMethod::post, "api/native/v1/email-templates/{id}/set-default", Access::member,
               BodyRule::none(), [&](RequestContext& context) {
                   return Reply::json(setDefaultEmailTemplate(database, context.caller(),
                                                              context.parameter("id"), context.now()));
               });
    routes.add(
        HttpMethod::post, "api/native/v1/email-templates/preview", Access::member, BodyRule::json(),
        [&](RequestContext& context) {
            const Json& body = context.body();
            return Reply::json(previewEmailTemplate(
                database, context.caller(), optionalText(body, "body").value_or(""),
                optionalText(body, "style").value_or("plain"), requiredText(body, "type"),
                optionalText(body, "language").value_or("nl")));
        },
        AuditRule::nothing("a preview"));
}

void addDocumentTemplateRoutes(RouteTable& routes, const ServiceDatabase& database) {
    routes.add(HttpMethod::patch, "api/native/v1/templates/{id}", Access::member, BodyRule::json(),
               [&](RequestContext& context) {
                   renameDocumentTemplate(database, context.caller(), context.parameter("id"),
                                          optionalText(context.body(), "name").value_or(""), context.now());
                   return Reply::json(kDone);
               });
    routes.add(HttpMethod::del, "api/native/v1/templates/{id}", Access::member, BodyRule::none(),
               [&](RequestContext& context) {
                   deleteDocumentTemplate(database, context.caller(), context.parameter("id"), context.now());
                   return Reply::json(kDone);
               });
    routes.add(HttpMethod::post, "api/native/v1/templates/{id}/duplicate", Access::member, BodyRule::none(),
               [&](RequestContext& context) {
                   return Reply::json(
                       Json{{"id", duplicateDocumentTemplate(database, context.caller(),
                                                             context.parameter("id"), context.now())}});
               });
    routes.add(HttpMethod::post, "api/native/v1/templates/{id}/default-for", Access::member, BodyRule::json(),
               [&](RequestContext& context) {
                   setDocumentTemplateDefaultFor(database, context.caller(), context.parameter("id"),
                                                 optionalText(context.body(), "docType"), context.now());
                   return Reply::json(kDone);
               });
    routes.add(HttpMethod::post, "api/native/v1/templates/default-for-new", Access::member, BodyRule::json(),
               [&](RequestContext& context) {
                   setDocumentTemplateDefaultForNew(
                       database, context.caller(), optionalText(context.body(), "templateId"), context.now());
                   return Reply::json(kDone);
               });
}

void addVariableRoutes(RouteTable& routes, const ServiceDatabase& database) {
    routes.get("api/native/v1/variables/builtins", Access::member, [&](RequestContext& context) {
        return Reply::json(builtinVariables(database, context.caller()));
    });
    routes.add(HttpMethod::post, "api/native/v1/org-variables", Access::member, BodyRule::json(),
               [&](RequestContext& context) {
                   const Json& body = context.body();
                   return Reply::json(createOwnVariable(
                       database, context.caller(),
                       {optionalText(body, "label").value_or(""), optionalText(body, "kind").value_or("text"),
                        optionalText(body, "description").value_or(""),
                        optionalText(body, "defaultValue").value_or("")},
                       context.now()));
               });
    routes.add(HttpMethod::patch, "api/native/v1/org-variables/{id}", Access::member, BodyRule::json(),
               [&](RequestContext& context) {
                   changeOwnVariable(database, context.caller(), context.parameter("id"),
                                     optionalText(context.body(), "label"),
                                     optionalText(context.body(), "description"), context.now());
                   return Reply::json(kDone);
               });
    routes.add(HttpMethod::del, "api/native/v1/org-variables/{id}", Access::member, BodyRule::none(),
               [&](RequestContext& context) {
                   deleteOwnVariable(database, context.caller(), context.parameter("id"), context.now());
                   return Reply::json(kDone);
               });
}

}  // namespace

void addTemplateRoutes(RouteTable& routes, const ServiceDatabase& database) {
    addEmailTemplateRoutes(routes, database);
    addDocumentTemplateRoutes(routes, database);
    addVariableRoutes(routes, database);
    routes.add(
        HttpMethod::post, "api/native/v1/invoices/{id}/set-template", Access::member, BodyRule::json(),
        [&](RequestContext& context) {
            return Reply::json(setInvoiceTemplate(database, context.caller(), context.parameter("id"),
                                                  requiredText(context.body(), "templateId"), context.now()));
        });
    routes.add(
        HttpMethod::post, "api/native/v1/invoices/{id}/preview-email", Access::member, BodyRule::json(),
        [&](RequestContext& context) {
            return Reply::json(previewInvoiceEmail(database, context.caller(), context.parameter("id"),
                                                   optionalText(context.body(), "message").value_or("")));
        },
        AuditRule::nothing("a preview"));
}

}  // namespace zelvorin::service
