#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zelvorin {

// The values of the twelve built-in variables of a message. Dates are "yyyy-MM-dd" as stored;
// amounts in cents.
struct MessageVariables {
    std::optional<std::string> customerName;   // klant_naam, klant_bedrijf
    std::optional<std::string> invoiceNumber;  // factuurnummer (empty for a draft)
    std::int64_t totalCents = 0;               // bedrag
    std::optional<std::string> dueDate;        // vervaldatum
    std::optional<std::string> issueDate;      // factuur_datum
    std::optional<std::string> orgName;        // org_naam, bedrijfsnaam
    std::optional<std::string> iban;
    std::optional<std::string> bic;
    std::optional<std::int64_t> paymentTermDays;  // betaaltermijn (30 when absent)
};

// The keys of the built-in variables, in the order they are substituted.
inline constexpr std::string_view kBuiltinVariableKeys[] = {
    "klant_naam", "klant_bedrijf", "factuurnummer", "bedrag", "vervaldatum",   "factuur_datum",
    "org_naam",   "bedrijfsnaam",  "iban",          "bic",    "betaaltermijn", "betaallink"};

// Whether `key` names one of the built-in variables.
bool isBuiltinVariableKey(std::string_view key);

// Replaces, for every built-in key, each "{{key}}" and then each "{key}" with its value: dates in
// the "nl" notation (dd-MM-yyyy), the total as euro money, "betaallink" always empty. Then the
// organisation's own variables (`own`: key and value) the same way, so an own variable can never
// shadow a built-in one.
std::string substituteMessageVariables(std::string text, const MessageVariables& values,
                                       const std::vector<std::pair<std::string, std::string>>& own = {});

}  // namespace zelvorin

namespace zelvorin {

// The e-mail template types, one per way an invoice is mailed.
inline constexpr std::string_view kEmailTemplateTypes[] = {"invoice", "credit_note", "reminder_1",
                                                           "reminder_2", "reminder_final"};
bool isEmailTemplateType(std::string_view type);

// The subject a message of this template type gets when none was written: the send sheet's title
// ("Factuur versturen", "Creditnota versturen", "1e herinnering versturen", ...).
std::string defaultMessageSubject(std::string_view templateType);
// "Beste <customer>,\n\nHierbij ontvang je de factuur.\n\nMet vriendelijke groet"; "klant" without
// a customer name.
std::string defaultMessageBody(const std::optional<std::string>& customerName);

}  // namespace zelvorin
