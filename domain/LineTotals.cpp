#include "domain/LineTotals.h"

#include "domain/CheckedMath.h"
#include "domain/Rounding.h"

namespace zelvorin {

namespace {

// The quotient is taken in binary64, the arithmetic the service uses for the totals it stores, so
// both sides agree to the cent.
std::int64_t percentOf(std::int64_t amount, int ratePercent) {
    return roundHalfUp(static_cast<double>(detail::checkedMultiply(amount, ratePercent)) / 100.0);
}

}  // namespace

VatTreatment effectiveTreatment(const CalcLine& line, VatTreatment invoiceTreatment) {
    return line.vatTreatmentOverride.value_or(invoiceTreatment);
}

std::int64_t lineExclCents(const CalcLine& line) {
    if (line.lineMode == LineMode::fixed) return line.amountCents.value_or(0);
    const std::int64_t product =
        detail::checkedMultiply(line.quantityHundredths.value_or(0), line.unitPriceCents.value_or(0));
    return roundHalfUp(static_cast<double>(product) / 100.0);
}

LineTotals lineTotals(const CalcLine& line, VatTreatment invoiceTreatment) {
    const std::int64_t excl = lineExclCents(line);
    const std::int64_t vat = percentOf(excl, vatRate(effectiveTreatment(line, invoiceTreatment)));
    return LineTotals{excl, vat, detail::checkedAdd(excl, vat)};
}

VatGroups groupTotals(std::span<const CalcLine> lines, VatTreatment invoiceTreatment) {
    VatGroups groups;
    for (const CalcLine& line : lines) {
        const LineTotals totals = lineTotals(line, invoiceTreatment);
        VatGroupTotals& group = groups[effectiveTreatment(line, invoiceTreatment)];
        group.exclCents = detail::checkedAdd(group.exclCents, totals.exclCents);
        group.vatCents = detail::checkedAdd(group.vatCents, totals.vatCents);
    }
    return groups;
}

}  // namespace zelvorin
