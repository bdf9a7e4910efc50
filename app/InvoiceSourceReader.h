#pragma once

#include <optional>
#include <string>

#include "layout/InvoiceSource.h"
#include "persistence/repositories/InvoiceRepository.h"

namespace zelvorin {

// What the layout prints, from the rows the invoice repository reads for it.
InvoiceSource invoiceSource(const InvoicePrintRecords& records);
// The print source of an invoice of the local database; absent when there is no such invoice or
// it is deleted.
std::optional<InvoiceSource> readInvoiceSource(InvoiceRepository& invoices, const std::string& invoiceId);

}  // namespace zelvorin
