#include "api-client/TemplateActions.h"

#include "api-client/ResponseFields.h"

namespace zelvorin::templateactions {
namespace {

using Json = nlohmann::json;
using OrderedJson = nlohmann::ordered_json;
namespace fields = responsefields;

// An id as one path segment.
std::string segment(const std::string& id) {
    return percentEncodeQueryValue(id);
}

const OrderedJson kNoBody = OrderedJson::object();

}  // namespace

NativeEmailTemplate NativeEmailTemplate::fromJson(const Json& body) {
    return {fields::text(body, "id"),
            fields::text(body, "organizationId"),
            fields::text(body, "name"),
            fields::optionalText(body, "type"),
            fields::optionalText(body, "language"),
            fields::optionalText(body, "subject"),
            fields::optionalText(body, "body"),
            fields::optionalFlag(body, "isDefault"),
            fields::optionalText(body, "invoiceTemplateId"),
            fields::optionalText(body, "style"),
            fields::text(body, "createdAt"),
            fields::text(body, "updatedAt")};
}

OrderedJson EmailTemplateBody::toJson() const {
    return OrderedJson{
        {"name", name},
        {"type", type},
        {"language", language},
        {"subject", subject},
        {"body", body},
        {"invoiceTemplateId", invoiceTemplateId ? OrderedJson(*invoiceTemplateId) : OrderedJson()},
        {"style", style ? OrderedJson(*style) : OrderedJson()}};
}

OrderedJson EmailTemplatePatch::toJson() const {
    OrderedJson json = OrderedJson::object();
    const auto put = [&](const char* key, const std::optional<std::string>& value) {
        if (value) json[key] = *value;
    };
    const auto putClearable = [&](const char* key, const std::optional<std::optional<std::string>>& value) {
        if (value) json[key] = *value ? OrderedJson(**value) : OrderedJson();
    };
    put("name", name);
    put("type", type);
    put("language", language);
    put("subject", subject);
    put("body", body);
    putClearable("invoiceTemplateId", invoiceTemplateId);
    putClearable("style", style);
    return json;
}

NativeEmailPreview NativeEmailPreview::fromJson(const Json& body) {
    return {fields::text(body, "text"), fields::optionalText(body, "html")};
}

std::vector<NativeEmailTemplate> emailTemplates(SyncAPIClient& client) {
    const Json list = client.fetch("api/native/v1/email-templates");
    if (!list.is_array()) fields::invalid();
    std::vector<NativeEmailTemplate> templates;
    for (const Json& item : list)
        templates.push_back(NativeEmailTemplate::fromJson(item));
    return templates;
}

NativeEmailTemplate createEmailTemplate(SyncAPIClient& client, const EmailTemplateBody& body) {
    return NativeEmailTemplate::fromJson(
        client.action("POST", "api/native/v1/email-templates", body.toJson()));
}

NativeEmailTemplate patchEmailTemplate(SyncAPIClient& client, const std::string& id,
                                       const EmailTemplatePatch& patch) {
    return NativeEmailTemplate::fromJson(
        client.action("PATCH", "api/native/v1/email-templates/" + segment(id), patch.toJson()));
}

void deleteEmailTemplate(SyncAPIClient& client, const std::string& id) {
    client.action("DELETE", "api/native/v1/email-templates/" + segment(id), kNoBody, false);
}

NativeEmailTemplate setDefaultEmailTemplate(SyncAPIClient& client, const std::string& id) {
    return NativeEmailTemplate::fromJson(
        client.action("POST", "api/native/v1/email-templates/" + segment(id) + "/set-default", kNoBody));
}

NativeEmailPreview previewEmailTemplate(SyncAPIClient& client, const std::string& body,
                                        const std::string& style, const std::string& type,
                                        const std::string& language) {
    return NativeEmailPreview::fromJson(
        client.action("POST", "api/native/v1/email-templates/preview",
                      OrderedJson{{"body", body}, {"style", style}, {"type", type}, {"language", language}}));
}

void renameTemplate(SyncAPIClient& client, const std::string& id, const std::string& name) {
    client.action("PATCH", "api/native/v1/templates/" + segment(id), OrderedJson{{"name", name}}, false);
}

void deleteTemplate(SyncAPIClient& client, const std::string& id) {
    client.action("DELETE", "api/native/v1/templates/" + segment(id), kNoBody, false);
}

std::string duplicateTemplate(SyncAPIClient& client, const std::string& id) {
    return fields::text(
        client.action("POST", "api/native/v1/templates/" + segment(id) + "/duplicate", kNoBody), "id");
}

void setTemplateDefaultFor(SyncAPIClient& client, const std::string& id,
                           const std::optional<std::string>& docType) {
    OrderedJson body = OrderedJson::object();
    if (docType) body["docType"] = *docType;
    client.action("POST", "api/native/v1/templates/" + segment(id) + "/default-for", body, false);
}

void setTemplateDefaultForNew(SyncAPIClient& client, const std::optional<std::string>& templateId) {
    OrderedJson body = OrderedJson::object();
    if (templateId) body["templateId"] = *templateId;
    client.action("POST", "api/native/v1/templates/default-for-new", body, false);
}

std::vector<NativeBuiltinVarGroup> builtinVariables(SyncAPIClient& client) {
    const Json answer = client.fetch("api/native/v1/variables/builtins");
    std::vector<NativeBuiltinVarGroup> groups;
    for (const Json& group : fields::array(answer, "groups")) {
        NativeBuiltinVarGroup read{fields::text(group, "category"), {}};
        for (const Json& row : fields::array(group, "rows"))
            read.rows.push_back(
                {fields::text(row, "key"), fields::text(row, "label"), fields::text(row, "sample")});
        groups.push_back(std::move(read));
    }
    return groups;
}

void createOrgVariable(SyncAPIClient& client, const std::string& label, const std::string& kind,
                       const std::string& description) {
    client.action("POST", "api/native/v1/org-variables",
                  OrderedJson{{"label", label}, {"kind", kind}, {"description", description}}, false);
}

void patchOrgVariable(SyncAPIClient& client, const std::string& id, const std::string& label,
                      const std::string& description) {
    client.action("PATCH", "api/native/v1/org-variables/" + segment(id),
                  OrderedJson{{"label", label}, {"description", description}}, false);
}

void deleteOrgVariable(SyncAPIClient& client, const std::string& id) {
    client.action("DELETE", "api/native/v1/org-variables/" + segment(id), kNoBody, false);
}

NativeSetTemplateResponse setInvoiceTemplate(SyncAPIClient& client, const std::string& invoiceId,
                                             const std::string& templateId) {
    const Json answer =
        client.action("POST", "api/native/v1/invoices/" + segment(invoiceId) + "/set-template",
                      OrderedJson{{"templateId", templateId}});
    return {fields::text(answer, "id"), fields::optionalText(answer, "templateId")};
}

NativeEmailPreview previewInvoiceEmail(SyncAPIClient& client, const std::string& invoiceId,
                                       const std::string& message) {
    return NativeEmailPreview::fromJson(
        client.action("POST", "api/native/v1/invoices/" + segment(invoiceId) + "/preview-email",
                      OrderedJson{{"message", message}}));
}

}  // namespace zelvorin::templateactions
