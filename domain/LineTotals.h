#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>

#include "domain/LineMode.h"
#include "domain/VatTreatment.h"

namespace zelvorin {

// The calculation view of one invoice line. Absent numbers count as 0.
struct CalcLine {
    LineMode lineMode = LineMode::hoursRate;
    std::optional<std::int64_t> quantityHundredths;  // 150 = 1.5 hours or units
    std::optional<std::int64_t> unitPriceCents;      // hourly rate or unit price
    std::optional<std::int64_t> amountCents;         // the fixed amount
    std::optional<VatTreatment> vatTreatmentOverride;

    bool operator==(const CalcLine&) const = default;
};

struct LineTotals {
    std::int64_t exclCents = 0;
    std::int64_t vatCents = 0;
    std::int64_t inclCents = 0;  // always exclCents + vatCents

    bool operator==(const LineTotals&) const = default;
};

struct VatGroupTotals {
    std::int64_t exclCents = 0;
    std::int64_t vatCents = 0;

    bool operator==(const VatGroupTotals&) const = default;
};

// Ordered by treatment (nl21, nl9, nl0, verlegd), so iteration is deterministic.
using VatGroups = std::map<VatTreatment, VatGroupTotals>;

// The treatment that taxes the line: its override, else the invoice's.
VatTreatment effectiveTreatment(const CalcLine& line, VatTreatment invoiceTreatment);

// The line's amount before VAT, rounded half up to whole cents.
std::int64_t lineExclCents(const CalcLine& line);

// VAT is rounded per line; a group's VAT is the sum of its lines' rounded VAT, never the VAT of the
// group's summed base. Throw AmountOverflowError when a product leaves the 64-bit range.
LineTotals lineTotals(const CalcLine& line, VatTreatment invoiceTreatment);
VatGroups groupTotals(std::span<const CalcLine> lines, VatTreatment invoiceTreatment);

}  // namespace zelvorin
