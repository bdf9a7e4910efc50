#pragma once

#include <string>

#include "persistence/generated/Records.h"
#include "persistence/sqlite/Connection.h"

namespace zelvorin::bench {

// The invoicing benchmarks' organisation: its settings (name, address, IBAN, 30 days to pay) and
// its customer "klant-1", a bakery in Utrecht.
void insertStudioAndCustomer(Connection& db, const std::string& organizationId);

// Line `n` of a long invoice: every third of each mode, every seventh with a description that
// wraps, every tenth at 9 % VAT. Without id, invoice, order or timestamps.
InvoiceLineRecord mixedLine(int n);

}  // namespace zelvorin::bench
