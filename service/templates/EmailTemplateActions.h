#pragma once

#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "domain/TimePoint.h"
#include "service/http/RequestContext.h"

namespace zelvorin::service {

class ServiceDatabase;

// The members of a new e-mail template. An empty subject or body is filled with the built-in
// default of its type.
struct EmailTemplateFields {
    std::string name;
    std::string type;  // "invoice", "credit_note", "reminder_1", "reminder_2", "reminder_final"
    std::string language = "nl";
    std::string subject;
    std::string body;
    std::optional<std::string> invoiceTemplateId;
    std::optional<std::string> style;  // "plain" or "branded"
};

// A change of a template: a member left out is kept; for the two that can be cleared, an inner
// nothing clears it.
struct EmailTemplateChange {
    std::optional<std::string> name, type, language, subject, body;
    std::optional<std::optional<std::string>> invoiceTemplateId, style;
};

// The organisation's e-mail templates (NativeEmailTemplate), by type, language and name. A type the
// organisation has no template of is offered as a built-in default (id "standaard-<type>", subject
// the send sheet's title, body "Beste {klant_naam}, ..."), which is never stored and cannot be
// changed: the organisation makes its own instead.
//
// Per type and language one template is the default: the first one made, the one set-default
// names, or, when the default is deleted or moved to another type or language, the oldest that
// remains.
//
// Refusals are ServiceErrors with a Dutch text: an unknown id (also another organisation's) is
// notFound, an unfit member unprocessable, a change of a built-in default conflict. Each action is
// one transaction through the one write path.
nlohmann::ordered_json listEmailTemplates(const ServiceDatabase& database, const Caller& caller);
nlohmann::ordered_json createEmailTemplate(const ServiceDatabase& database, const Caller& caller,
                                           const EmailTemplateFields& fields, TimePoint now);
nlohmann::ordered_json changeEmailTemplate(const ServiceDatabase& database, const Caller& caller,
                                           const std::string& id, const EmailTemplateChange& change,
                                           TimePoint now);
void deleteEmailTemplate(const ServiceDatabase& database, const Caller& caller, const std::string& id,
                         TimePoint now);
nlohmann::ordered_json setDefaultEmailTemplate(const ServiceDatabase& database, const Caller& caller,
                                               const std::string& id, TimePoint now);

}  // namespace zelvorin::service
