#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "domain/TimePoint.h"
#include "service/http/RequestContext.h"

namespace zelvorin::service {

class ServiceDatabase;

// The VAT return's quarter as a file.
struct QuarterExport {
    std::string fileName;  // "btw-aangifte-Q<quarter>-<year>.csv"
    std::string csv;
};

// Throws ServiceError(unprocessable) with a Dutch text for a quarter outside 1–4 or a year outside
// 2000–2100.
void requireValidPeriod(int year, int quarter);

// The organisation's VAT return for the quarter (a BtwQuarterSummary, with besides it the
// reverse-charged turnover "rubriekVerlegd", the ICP list "icp", the KOR meter "kor" and the basis).
nlohmann::ordered_json quarterSummary(const ServiceDatabase& database, const Caller& caller, int year,
                                      int quarter);

// The same figures as a spreadsheet file (semicolons, decimal commas, CRLF): the rubrieken, the
// totals, the invoices of the quarter, the other costs and the warnings. No cell starts a formula.
QuarterExport exportQuarter(const ServiceDatabase& database, const Caller& caller, int year, int quarter);

// Sets the VAT rate (0, 9 or 21) at which an outgoing transaction without a document counts as an
// other cost; answers the other-cost line as it now stands. The change reaches devices by pull.
nlohmann::ordered_json setOtherCostVatRate(const ServiceDatabase& database, const Caller& caller,
                                           const std::string& transactionId, int vatRatePercent,
                                           TimePoint now);

}  // namespace zelvorin::service
