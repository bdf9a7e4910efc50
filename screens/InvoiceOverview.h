#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "domain/Clock.h"
#include "domain/LineTotals.h"
#include "domain/NextAction.h"
#include "persistence/repositories/InvoiceRepository.h"

namespace zelvorin {

// What the invoice screen shows of one invoice: its rows, each line's amount excluding VAT, the
// VAT per treatment and the one next step the advisor proposes.
struct InvoiceOverview {
    InvoiceDetail detail;
    std::vector<std::int64_t> lineExclCents;  // by line, in the order of detail.lines
    VatGroups vatGroups;
    std::optional<NextAction> nextAction;
};

// Also for a deleted invoice (the screen says so). Throws PersistenceError notFound when there is
// no such invoice.
InvoiceOverview loadInvoiceOverview(InvoiceRepository& invoices, const Clock& clock, const std::string& id);

// The invoice's number, else its draft number, else its id.
std::string invoiceLabel(const DraftInvoiceRecord& invoice);
std::string invoiceLabel(const InvoiceListItem& item);
// "2 × € 85,00", or "vast bedrag" for a fixed line.
std::string lineQuantityText(const InvoiceLineRecord& line);
// "BTW 21%", "BTW verlegd"
std::string vatGroupLabel(VatTreatment treatment);

}  // namespace zelvorin
