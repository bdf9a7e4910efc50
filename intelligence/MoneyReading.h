#pragma once

#include <optional>
#include <vector>

#include "intelligence/AmountReconciliation.h"
#include "intelligence/GenerableInvoice.h"
#include "intelligence/ReceiptText.h"

namespace zelvorin {

// Everything a text says about its money, read once for the three answers: the item lines, every
// figure that states or implies the total, the VAT rows, and the total they agree on.
struct MoneyReading {
    std::vector<GenerableLineItem> items;
    reconciling::AmountEvidence evidence;
    std::optional<std::int64_t> total;

    explicit MoneyReading(const ReceiptText& text);

    std::optional<double> totalEuros() const;
    // The VAT rows with their amounts checked against the total.
    std::vector<GenerableVatItem> vat() const;
};

}  // namespace zelvorin
