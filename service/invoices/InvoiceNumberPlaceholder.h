#pragma once

#include <string>

#include "service/invoices/InvoiceRecords.h"

namespace zelvorin {
struct InvoiceSource;
}

namespace zelvorin::service {

// A schedule's descriptions may ask for the invoice number ("{factuurnummer}"), which a draft does
// not have yet: the placeholder stays in the draft and is filled when the invoice gets its number.
// Fills it in the invoice's project description (`invoice`, written by the caller) and in its lines
// (written here), and in the source the PDF is drawn from.
void fillInvoiceNumberPlaceholders(Connection& db, const Caller& caller, nlohmann::ordered_json& invoice,
                                   const std::string& number, InvoiceSource& source, TimePoint now);

}  // namespace zelvorin::service
