#include "domain/EmailToInvoiceTemplatePicker.h"

#include <algorithm>
#include <array>
#include <utility>

namespace zelvorin::EmailToInvoiceTemplatePicker {

namespace {

constexpr std::array<std::pair<std::string_view, std::string_view>, 5> kRoleByEmailType{{
    {"invoice", "factuur"},
    {"credit_note", "creditnota"},
    {"reminder_1", "herinnering"},
    {"reminder_2", "herinnering"},
    {"reminder_final", "aanmaning"},
}};

template <class Predicate>
std::optional<Option> firstWhere(std::span<const Option> options, Predicate predicate) {
    const auto found = std::find_if(options.begin(), options.end(), predicate);
    if (found == options.end()) return std::nullopt;
    return *found;
}

}  // namespace

std::optional<std::string_view> invoiceTemplateRole(std::string_view emailTemplateType) {
    for (const auto& [type, role] : kRoleByEmailType) {
        if (type == emailTemplateType) return role;
    }
    return std::nullopt;
}

std::optional<Option> pick(std::string_view emailTemplateType, std::string_view preferredLanguage,
                           std::optional<std::string_view> linkedInvoiceTemplateId,
                           std::span<const Option> options, std::string_view fallbackLanguage) {
    if (linkedInvoiceTemplateId && !linkedInvoiceTemplateId->empty()) {
        auto linked =
            firstWhere(options, [&](const Option& option) { return option.id == *linkedInvoiceTemplateId; });
        if (linked) return linked;
    }
    const std::optional<std::string_view> role = invoiceTemplateRole(emailTemplateType);
    if (!role || options.empty()) return std::nullopt;

    auto hasRoleIn = [&](std::string_view language) {
        return [&, language](const Option& option) {
            return option.defaultFor == *role && option.language == language;
        };
    };
    if (auto match = firstWhere(options, hasRoleIn(preferredLanguage))) return match;
    if (auto match = firstWhere(options, hasRoleIn(fallbackLanguage))) return match;
    if (auto match = firstWhere(options, [&](const Option& option) { return option.defaultFor == *role; }))
        return match;
    return firstWhere(options, [&](const Option& option) { return option.language == preferredLanguage; });
}

}  // namespace zelvorin::EmailToInvoiceTemplatePicker
