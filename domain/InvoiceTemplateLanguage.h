#pragma once

#include <optional>
#include <string_view>

namespace zelvorin::InvoiceTemplateLanguage {

// "nl" or "en" for a customer's documents: the customer's own language when it is exactly "en" or
// "nl"; else by country (NL in any case is Dutch, any other country English); else the
// organisation's default, which is English only when exactly "en".
std::string_view resolve(std::optional<std::string_view> customerLanguage,
                         std::optional<std::string_view> customerCountry,
                         std::optional<std::string_view> organisationDefaultLanguage);

}  // namespace zelvorin::InvoiceTemplateLanguage
