#include "domain/InvoiceTotals.h"

#include <vector>

#include "domain/CheckedMath.h"

namespace zelvorin {

VatTreatment invoiceTreatmentFromStored(std::string_view rawInvoiceTreatment) {
    return parseVatTreatment(rawInvoiceTreatment).value_or(VatTreatment::nl21);
}

CalcLine calcLineFromStored(const StoredInvoiceLine& line) {
    CalcLine calc;
    calc.lineMode = parseLineMode(line.lineMode).value_or(LineMode::hoursRate);
    calc.quantityHundredths = line.quantityHundredths;
    calc.unitPriceCents = line.unitPriceCents;
    calc.amountCents = line.amountCents;
    if (line.vatTreatmentOverride) calc.vatTreatmentOverride = parseVatTreatment(*line.vatTreatmentOverride);
    return calc;
}

InvoiceTotals invoiceTotals(std::span<const CalcLine> lines, VatTreatment invoiceTreatment) {
    InvoiceTotals totals;
    for (const auto& [treatment, group] : groupTotals(lines, invoiceTreatment)) {
        totals.subtotalCents = detail::checkedAdd(totals.subtotalCents, group.exclCents);
        totals.vatCents = detail::checkedAdd(totals.vatCents, group.vatCents);
    }
    totals.totalCents = detail::checkedAdd(totals.subtotalCents, totals.vatCents);
    return totals;
}

InvoiceTotals invoiceTotalsFromStored(std::string_view rawInvoiceTreatment,
                                      std::span<const StoredInvoiceLine> lines) {
    std::vector<CalcLine> live;
    live.reserve(lines.size());
    for (const StoredInvoiceLine& line : lines) {
        if (!line.deleted) live.push_back(calcLineFromStored(line));
    }
    return invoiceTotals(live, invoiceTreatmentFromStored(rawInvoiceTreatment));
}

}  // namespace zelvorin
