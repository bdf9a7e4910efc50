#pragma once

#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "domain/TimePoint.h"
#include "service/http/RequestContext.h"

namespace zelvorin::service {

class ServiceDatabase;

// The dashboard's figures over the whole administration for a period (DashboardPeriod.h): this
// month's revenue, what is outstanding and overdue, the bank balance, the VAT of the current quarter,
// what is free to spend, and the chart series of the period (revenue, income and expenses per month,
// VAT per quarter, the balance per day, what is still open per month of issue). Profit per month and
// the VAT balance per quarter are left out: the service keeps no cost ledger to build them from.
nlohmann::ordered_json dashboardSummary(const ServiceDatabase& database, const Caller& caller,
                                        const std::string& period, const std::optional<std::string>& from,
                                        const std::optional<std::string>& to, TimePoint now);

}  // namespace zelvorin::service
