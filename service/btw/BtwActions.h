#pragma once

#include <string>

#include "service/http/RequestContext.h"

namespace zelvorin::service {

class ServiceDatabase;

// The VAT return's quarter as a file.
struct QuarterExport {
    std::string fileName;  // "btw-aangifte-Q<quarter>-<year>.csv"
    std::string csv;
};

// The organisation's numbered, non-draft invoices issued in the quarter, one CSV line each
// (semicolons, decimal commas, CRLF) and a line of totals. Throws ServiceError(unprocessable)
// "Ongeldige periode." for a quarter outside 1–4 or a year outside 2000–2100.
QuarterExport exportQuarter(const ServiceDatabase& database, const Caller& caller, int year, int quarter);

}  // namespace zelvorin::service
