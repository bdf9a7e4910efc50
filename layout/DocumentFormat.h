#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zelvorin {

// How a document writes numbers, money and dates. Pure functions of their arguments: the C
// library's locale is never consulted.
struct DocumentFormat {
    std::string locale = "nl-NL";
    std::string currency = "EUR";
    std::optional<std::string> dateFormat;

    // Dutch when the locale, lower-cased, starts with "nl"; English otherwise.
    bool isDutch() const;

    // "€ 1.234,56" in Dutch, "€1,234.56" in English; always two decimals.
    std::string money(std::int64_t cents) const;
    std::string money(std::int64_t cents, std::string_view currencyCode) const;
    // Hundredths as a decimal with at most two fraction digits; absent or 0 gives "".
    std::string quantity(std::optional<std::int64_t> hundredths) const;
    // An ISO date or date-time written by dateFormat; "" stays "", unreadable text stays as it is.
    std::string date(std::string_view iso) const;
};

bool isDutchLocale(std::string_view locale);

}  // namespace zelvorin
