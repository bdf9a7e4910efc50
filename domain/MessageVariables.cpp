#include "domain/MessageVariables.h"

#include <algorithm>

#include "domain/Money.h"

namespace zelvorin {
namespace {

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

void substitute(std::string& text, const std::string& key, const std::string& value) {
    replaceAll(text, "{{" + key + "}}", value);
    replaceAll(text, "{" + key + "}", value);
}

// "2026-03-16" as "16-03-2026"; empty when absent or not a date.
std::string dutchDate(const std::optional<std::string>& date) {
    if (!date || date->size() != 10) return {};
    return date->substr(8, 2) + "-" + date->substr(5, 2) + "-" + date->substr(0, 4);
}

}  // namespace

bool isBuiltinVariableKey(std::string_view key) {
    return std::ranges::find(kBuiltinVariableKeys, key) != std::end(kBuiltinVariableKeys);
}

std::string substituteMessageVariables(std::string text, const MessageVariables& values,
                                       const std::vector<std::pair<std::string, std::string>>& own) {
    const std::string customer = values.customerName.value_or("");
    const std::string org = values.orgName.value_or("");
    const std::string builtins[] = {customer,
                                    customer,
                                    values.invoiceNumber.value_or(""),
                                    formatEuro(values.totalCents),
                                    dutchDate(values.dueDate),
                                    dutchDate(values.issueDate),
                                    org,
                                    org,
                                    values.iban.value_or(""),
                                    values.bic.value_or(""),
                                    std::to_string(values.paymentTermDays.value_or(30)),
                                    ""};
    static_assert(std::size(builtins) == std::size(kBuiltinVariableKeys));
    for (std::size_t i = 0; i < std::size(builtins); ++i)
        substitute(text, std::string(kBuiltinVariableKeys[i]), builtins[i]);
    for (const auto& [key, value] : own)
        if (!isBuiltinVariableKey(key)) substitute(text, key, value);
    return text;
}

}  // namespace zelvorin

namespace zelvorin {

bool isEmailTemplateType(std::string_view type) {
    return std::ranges::find(kEmailTemplateTypes, type) != std::end(kEmailTemplateTypes);
}

std::string defaultMessageSubject(std::string_view templateType) {
    if (templateType == "invoice") return "Factuur versturen";
    if (templateType == "credit_note") return "Creditnota versturen";
    if (templateType == "reminder_1") return "1e herinnering versturen";
    if (templateType == "reminder_2") return "2e herinnering versturen";
    return "Laatste herinnering versturen";
}

std::string defaultMessageBody(const std::optional<std::string>& customerName) {
    const std::string name = customerName && !customerName->empty() ? *customerName : "klant";
    return "Beste " + name + ",\n\nHierbij ontvang je de factuur.\n\nMet vriendelijke groet";
}

}  // namespace zelvorin
