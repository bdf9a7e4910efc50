#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace zelvorin::EmailToInvoiceTemplatePicker {

// One invoice template as the picker sees it.
struct Option {
    std::string id;
    std::string name;
    std::string language;
    std::optional<std::string> defaultFor;  // "factuur", "creditnota", "herinnering", "aanmaning"

    bool operator==(const Option&) const = default;
};

// The invoice-template role an e-mail template type needs: "invoice" -> "factuur",
// "credit_note" -> "creditnota", "reminder_1"/"reminder_2" -> "herinnering",
// "reminder_final" -> "aanmaning"; other types have none.
std::optional<std::string_view> invoiceTemplateRole(std::string_view emailTemplateType);

// The invoice template to render with an e-mail template. First match wins: the linked id; the
// role in the preferred language; the role in the fallback language; the role in any language;
// any template in the preferred language. Comparisons are exact, options are taken in list order.
std::optional<Option> pick(std::string_view emailTemplateType, std::string_view preferredLanguage,
                           std::optional<std::string_view> linkedInvoiceTemplateId,
                           std::span<const Option> options, std::string_view fallbackLanguage);

}  // namespace zelvorin::EmailToInvoiceTemplatePicker
