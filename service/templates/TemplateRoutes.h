#pragma once

namespace zelvorin::service {

class RouteTable;
class ServiceDatabase;

// E-mail templates, document templates and variables (all member routes):
//   GET    api/native/v1/email-templates                  list, built-in defaults included
//   POST   api/native/v1/email-templates                  name, type, language, subject, body,
//                                                         invoiceTemplateId, style
//   PATCH  api/native/v1/email-templates/{id}             EmailTemplatePatch (left out / null / value)
//   DELETE api/native/v1/email-templates/{id}
//   POST   api/native/v1/email-templates/{id}/set-default
//   POST   api/native/v1/email-templates/preview          body, style, type, language
//   PATCH  api/native/v1/templates/{id}                   name
//   DELETE api/native/v1/templates/{id}
//   POST   api/native/v1/templates/{id}/duplicate         answers {"id"}
//   POST   api/native/v1/templates/{id}/default-for       docType?
//   POST   api/native/v1/templates/default-for-new        templateId?
//   GET    api/native/v1/variables/builtins
//   POST   api/native/v1/org-variables                    label, kind, description, defaultValue?
//   PATCH  api/native/v1/org-variables/{id}               label, description
//   DELETE api/native/v1/org-variables/{id}
//   POST   api/native/v1/invoices/{id}/set-template       templateId
//   POST   api/native/v1/invoices/{id}/preview-email      message
void addTemplateRoutes(RouteTable& routes, const ServiceDatabase& database);

}  // namespace zelvorin::service
