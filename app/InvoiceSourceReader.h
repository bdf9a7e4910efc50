#pragma once

#include <optional>
#include <string>

#include "layout/InvoiceSource.h"
#include "persistence/AppDatabase.h"

namespace zelvorin {

// Reads what an invoice of the local database is printed from: the invoice (not deleted), its
// lines in sort order, its customer, the organisation's settings and the config of its template
// (the one it names, else the organisation's default template for its type). Absent when there is
// no such invoice.
std::optional<InvoiceSource> readInvoiceSource(AppDatabase& database, const std::string& invoiceId);

}  // namespace zelvorin
