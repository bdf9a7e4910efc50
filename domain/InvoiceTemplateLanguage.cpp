#include "domain/InvoiceTemplateLanguage.h"

namespace zelvorin::InvoiceTemplateLanguage {

namespace {

bool isNetherlands(std::string_view country) {
    auto upper = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; };
    return country.size() == 2 && upper(country[0]) == 'N' && upper(country[1]) == 'L';
}

}  // namespace

std::string_view resolve(std::optional<std::string_view> customerLanguage,
                         std::optional<std::string_view> customerCountry,
                         std::optional<std::string_view> organisationDefaultLanguage) {
    if (customerLanguage == "en") return "en";
    if (customerLanguage == "nl") return "nl";
    if (customerCountry && !customerCountry->empty()) return isNetherlands(*customerCountry) ? "nl" : "en";
    return organisationDefaultLanguage == "en" ? "en" : "nl";
}

}  // namespace zelvorin::InvoiceTemplateLanguage
