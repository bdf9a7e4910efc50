#pragma once

#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "api-client/SyncAPIClient.h"

// The templates family of the endpoint catalogue: e-mail templates, document templates, message
// variables, and an invoice's template and message preview. Every call is authorised; changes use
// the "action" mapping (409 and 422 are APIError::Conflict with the service's Dutch text, 403
// Forbidden, 404 NotFound), reads the "fetch" mapping. An answer without the members its record
// needs is InvalidResponse.
namespace zelvorin::templateactions {

struct NativeEmailTemplate {
    std::string id;
    std::string organizationId;
    std::string name;
    std::optional<std::string> type;
    std::optional<std::string> language;
    std::optional<std::string> subject;
    std::optional<std::string> body;
    std::optional<bool> isDefault;
    std::optional<std::string> invoiceTemplateId;
    std::optional<std::string> style;
    std::string createdAt;
    std::string updatedAt;
    static NativeEmailTemplate fromJson(const nlohmann::json& body);
    bool operator==(const NativeEmailTemplate&) const = default;
};

// The body of a new e-mail template: every key is written; the two optional ones as null when absent.
struct EmailTemplateBody {
    std::string name;
    std::string type;
    std::string language = "nl";
    std::string subject;
    std::string body;
    std::optional<std::string> invoiceTemplateId;
    std::optional<std::string> style;
    nlohmann::ordered_json toJson() const;
};

// A change of an e-mail template. A member left out is kept. invoiceTemplateId and style have a
// third state: set to an inner nothing, they are written as null, which clears them.
struct EmailTemplatePatch {
    std::optional<std::string> name;
    std::optional<std::string> type;
    std::optional<std::string> language;
    std::optional<std::string> subject;
    std::optional<std::string> body;
    std::optional<std::optional<std::string>> invoiceTemplateId;
    std::optional<std::optional<std::string>> style;
    nlohmann::ordered_json toJson() const;
};

// NativeEmailTemplatePreview and NativeInvoiceEmailPreview.
struct NativeEmailPreview {
    std::string text;
    std::optional<std::string> html;
    static NativeEmailPreview fromJson(const nlohmann::json& body);
};

struct NativeSetTemplateResponse {
    std::string id;
    std::optional<std::string> templateId;
};

struct NativeBuiltinVar {
    std::string key;
    std::string label;
    std::string sample;
};
struct NativeBuiltinVarGroup {
    std::string category;
    std::vector<NativeBuiltinVar> rows;
};

// E-mail templates: GET/POST api/native/v1/email-templates, PATCH/DELETE .../<id>,
// POST .../<id>/set-default, POST .../preview {body, style, type, language}.
std::vector<NativeEmailTemplate> emailTemplates(SyncAPIClient& client);
NativeEmailTemplate createEmailTemplate(SyncAPIClient& client, const EmailTemplateBody& body);
NativeEmailTemplate patchEmailTemplate(SyncAPIClient& client, const std::string& id,
                                       const EmailTemplatePatch& patch);
void deleteEmailTemplate(SyncAPIClient& client, const std::string& id);
NativeEmailTemplate setDefaultEmailTemplate(SyncAPIClient& client, const std::string& id);
NativeEmailPreview previewEmailTemplate(SyncAPIClient& client, const std::string& body,
                                        const std::string& style, const std::string& type,
                                        const std::string& language);

// Document templates: PATCH/DELETE api/native/v1/templates/<id>, POST .../<id>/duplicate (the
// copy's id), POST .../<id>/default-for {docType?}, POST .../default-for-new {templateId?}.
void renameTemplate(SyncAPIClient& client, const std::string& id, const std::string& name);
void deleteTemplate(SyncAPIClient& client, const std::string& id);
std::string duplicateTemplate(SyncAPIClient& client, const std::string& id);
void setTemplateDefaultFor(SyncAPIClient& client, const std::string& id,
                           const std::optional<std::string>& docType);
void setTemplateDefaultForNew(SyncAPIClient& client, const std::optional<std::string>& templateId);

// Variables: GET api/native/v1/variables/builtins; POST/PATCH/DELETE api/native/v1/org-variables.
std::vector<NativeBuiltinVarGroup> builtinVariables(SyncAPIClient& client);
void createOrgVariable(SyncAPIClient& client, const std::string& label, const std::string& kind,
                       const std::string& description);
void patchOrgVariable(SyncAPIClient& client, const std::string& id, const std::string& label,
                      const std::string& description);
void deleteOrgVariable(SyncAPIClient& client, const std::string& id);

// An invoice's template and message: POST api/native/v1/invoices/<id>/set-template {templateId}
// and /preview-email {message}.
NativeSetTemplateResponse setInvoiceTemplate(SyncAPIClient& client, const std::string& invoiceId,
                                             const std::string& templateId);
NativeEmailPreview previewInvoiceEmail(SyncAPIClient& client, const std::string& invoiceId,
                                       const std::string& message);

}  // namespace zelvorin::templateactions
