#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "domain/SchedulePeriods.h"

namespace zelvorin {

// The variables a schedule's descriptions may hold, as "{name}".
inline constexpr std::string_view kScheduleDescriptionVariables[] = {
    "jaar", "kwartaal", "maand", "maandnaam", "weeknummer", "periode", "klantnaam", "factuurnummer"};

// Fills the variables of a schedule's description for the invoice of `period`:
//   {jaar} 2026, {kwartaal} Q2, {maand} 04, {maandnaam} april, {weeknummer} 15 (ISO),
//   {periode} "06-04-2026 t/m 12-04-2026", {klantnaam}, {factuurnummer} (kept as typed until the
//   invoice has its number, which fills it then). Dates and weeks are those of the period's first
//   day. Unknown names stay as typed.
std::string fillScheduleDescription(std::string_view text, const BillingPeriod& period,
                                    const std::string& customerName,
                                    const std::optional<std::string>& invoiceNumber = std::nullopt);

// "april": the Dutch name of a month (1 … 12); empty for anything else.
std::string_view dutchMonthName(unsigned month);

}  // namespace zelvorin
