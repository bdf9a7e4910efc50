#include "screens/InvoiceOverview.h"

#include <chrono>

#include "domain/InvoiceTotals.h"
#include "domain/Money.h"
#include "domain/NextActionAdvisor.h"
#include "domain/Timestamps.h"
#include "domain/VatTreatment.h"
#include "persistence/PersistenceError.h"

namespace zelvorin {
namespace {

std::optional<TimePoint> startOfDay(const std::optional<std::string>& date) {
    if (!date) return std::nullopt;
    const auto day = parseCalendarDate(*date);
    if (!day) return std::nullopt;
    return std::chrono::sys_days(*day);
}

std::optional<NextAction> adviceFor(InvoiceRepository& invoices, const Clock& clock,
                                    const InvoiceDetail& detail) {
    NextActionInput input;
    input.status = detail.invoice.status;
    input.dueDate = startOfDay(detail.invoice.dueDate);
    for (const InvoiceReminderRecord& reminder : detail.reminders) {
        if (auto sent = parseTimestamp(reminder.sentAt))
            input.reminders.push_back({reminder.level.value_or(""), *sent});
    }
    input.hasCreditNote = invoices.hasCreditNote(detail.invoice.id);
    input.now = clock.now();
    return NextActionAdvisor::nextAction(input);
}

}  // namespace

InvoiceOverview loadInvoiceOverview(InvoiceRepository& invoices, const Clock& clock, const std::string& id) {
    std::optional<InvoiceDetail> detail = invoices.detail(id);
    if (!detail) throw PersistenceError::notFound("Factuur '" + id + "'");
    InvoiceOverview overview{std::move(*detail), {}, {}, std::nullopt};
    const DraftInvoiceRecord& invoice = overview.detail.invoice;
    const VatTreatment treatment = invoiceTreatmentFromStored(invoice.vatTreatment);
    std::vector<CalcLine> calc;
    for (const InvoiceLineRecord& line : overview.detail.lines) {
        calc.push_back(calcLineFromStored({line.lineMode, line.quantityHundredths, line.unitPriceCents,
                                           line.amountCents, line.vatTreatmentOverride}));
        overview.lineExclCents.push_back(lineTotals(calc.back(), treatment).exclCents);
    }
    overview.vatGroups = groupTotals(calc, treatment);
    overview.nextAction = adviceFor(invoices, clock, overview.detail);
    return overview;
}

std::string invoiceLabel(const DraftInvoiceRecord& invoice) {
    return invoice.invoiceNumber.value_or(invoice.localDraftNumber.value_or(invoice.id));
}

std::string invoiceLabel(const InvoiceListItem& item) {
    return item.invoiceNumber.value_or(item.localDraftNumber.value_or(item.id));
}

std::string lineQuantityText(const InvoiceLineRecord& line) {
    if (line.lineMode == "fixed") return "vast bedrag";
    return formatHundredths(line.quantityHundredths.value_or(0)) + " × " +
           formatEuro(line.unitPriceCents.value_or(0));
}

std::string vatGroupLabel(VatTreatment treatment) {
    if (treatment == VatTreatment::verlegd) return "BTW verlegd";
    return "BTW " + std::to_string(vatRate(treatment)) + "%";
}

}  // namespace zelvorin
