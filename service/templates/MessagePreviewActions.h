#pragma once

#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "domain/TimePoint.h"
#include "service/http/RequestContext.h"

namespace zelvorin::service {

class ServiceDatabase;

// An e-mail template's body with the variables filled from an example customer and invoice and the
// organisation's own settings and variables: NativeEmailTemplatePreview {text, html}. The type
// and language must be ones a template can have; the style "plain" or "branded".
nlohmann::ordered_json previewEmailTemplate(const ServiceDatabase& database, const Caller& caller,
                                            const std::string& body, const std::string& style,
                                            const std::string& type, const std::string& language);

// A message for the caller's invoice with the variables filled from that invoice, its customer
// and the organisation: NativeInvoiceEmailPreview {text, html}. Changes nothing.
nlohmann::ordered_json previewInvoiceEmail(const ServiceDatabase& database, const Caller& caller,
                                           const std::string& invoiceId, const std::string& message);

// The invoice's document template (its "templateId"): only while it is a draft, since a sent
// invoice's PDF is what the customer received. The template must be one of the organisation's.
// NativeSetTemplateResponse {id, templateId}.
nlohmann::ordered_json setInvoiceTemplate(const ServiceDatabase& database, const Caller& caller,
                                          const std::string& invoiceId, const std::string& templateId,
                                          TimePoint now);

}  // namespace zelvorin::service
