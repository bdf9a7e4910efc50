#pragma once

#include <string>

namespace zelvorin {
class Connection;
}

namespace zelvorin::service {

// The organisation's next definitive invoice number for `year`, taken on the caller's write
// transaction: gap-free per organisation and year, formatted by the organisation's number
// template, prefix and width (defaults "{PREFIX}-{YEAR}-{SEQ}", "FAC", 4). The first number of a
// year follows the highest number of that year the organisation's invoices already carry (the
// demo's FAC-2026-0021 is followed by FAC-2026-0022). A number taken is never handed out again,
// also when the transaction that took it is the only one that knew it: a rollback returns it.
std::string takeNextInvoiceNumber(Connection& db, const std::string& organizationId, int year);

// Moves each year's counter of the organisation up to the highest number of that year its
// invoices and credit notes carry, where it was behind (records that came in beside the counter,
// as a merging import brings them).
void keepInvoiceNumberCountersAhead(Connection& db, const std::string& organizationId);

}  // namespace zelvorin::service
