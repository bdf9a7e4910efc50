#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "domain/LineTotals.h"
#include "domain/VatTreatment.h"

namespace zelvorin {

// One invoice line as the database holds it: raw texts, nullable numbers.
struct StoredInvoiceLine {
    std::string lineMode;                             // `line_mode`
    std::optional<std::int64_t> quantityHundredths;   // `quantity_hundredths`
    std::optional<std::int64_t> unitPriceCents;       // `unit_price_cents`
    std::optional<std::int64_t> amountCents;          // `amount_cents`
    std::optional<std::string> vatTreatmentOverride;  // `vat_treatment_override`
    bool deleted = false;                             // `deleted_at` is set: the line does not count
};

struct InvoiceTotals {
    std::int64_t subtotalCents = 0;
    std::int64_t vatCents = 0;
    std::int64_t totalCents = 0;

    bool operator==(const InvoiceTotals&) const = default;
};

// Stored texts are forgiving: an unknown line mode counts as hoursRate, an unknown override falls
// back to the invoice's treatment, and an unknown invoice treatment counts as nl21. Old rows and
// rows written by newer versions of the service therefore still get a total.
VatTreatment invoiceTreatmentFromStored(std::string_view rawInvoiceTreatment);
CalcLine calcLineFromStored(const StoredInvoiceLine& line);

// Subtotal and VAT are the sums over the group totals of the lines that are not deleted.
InvoiceTotals invoiceTotals(std::span<const CalcLine> lines, VatTreatment invoiceTreatment);
InvoiceTotals invoiceTotalsFromStored(std::string_view rawInvoiceTreatment,
                                      std::span<const StoredInvoiceLine> lines);

}  // namespace zelvorin
