#pragma once

#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "domain/MessageVariables.h"
#include "service/http/RequestContext.h"

namespace zelvorin {
class Connection;
}

// Where the values of a message's variables come from on the service.
namespace zelvorin::service::messagevalues {

// The invoice's own values: its customer's company name, number, total and dates, and the
// organisation's name, IBAN, BIC and payment term from its settings.
MessageVariables ofInvoice(Connection& db, const Caller& caller, const nlohmann::ordered_json& invoice);
// The organisation's values beside an example customer and invoice, for previews of a template
// and the samples of the variable list.
MessageVariables sample(Connection& db, const Caller& caller);
// The organisation's own (not built-in) variables with their values.
std::vector<std::pair<std::string, std::string>> ownVariables(Connection& db, const Caller& caller);

// A message text as the NativeInvoiceEmailPreview and NativeEmailTemplatePreview give it: the text
// itself and an HTML rendering (paragraphs at blank lines, escaped) in the template's style.
nlohmann::ordered_json preview(const std::string& text, const std::string& style);

}  // namespace zelvorin::service::messagevalues
