#pragma once

#include <array>
#include <string_view>

#include "intelligence/ExtractedInvoiceData.h"

namespace zelvorin {

// How plausible a reading is, as seven scores in 0...1. The order is fixed; `names` gives the keys
// used in reports.
struct FieldScores {
    enum Index { documentKind, sender, date, currency, totalPresent, totalAgreement, vatAgreement, count };
    static constexpr std::array<std::string_view, count> names = {
        "documentKind", "sender", "date", "currency", "totalPresent", "totalAgreement", "vatAgreement"};

    std::array<double, count> values{};

    double operator[](Index index) const { return values[index]; }
    // The arithmetic mean of the seven.
    double fieldScore() const;
};

FieldScores scoreFields(const ExtractedInvoiceData& data);

// Exactly "DD-MM-YYYY" with day 1...31, month 1...12, year 2000...2099; no calendar check.
bool isValidInvoiceDate(std::string_view text);
// Case-insensitive membership in the currencies a reading may name.
bool isAcceptedCurrency(std::string_view code);

}  // namespace zelvorin
