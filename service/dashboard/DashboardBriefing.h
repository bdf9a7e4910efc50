#pragma once

#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "domain/TimePoint.h"
#include "service/http/RequestContext.h"

namespace zelvorin::service {

class ServiceDatabase;

// The week's briefing, written by rules rather than a language model (narrativeSource "regels"):
// overdue invoices to remind, payments received that nobody has linked, the VAT return that falls due
// within a month, and documents waiting in the inbox; each an action with the choices done, later and
// dismiss. Actions decided done or dismissed stay away; snoozed ones come back after their date.
// Action ids name what they are about, so a new overdue invoice or a new payment raises a new action.
nlohmann::ordered_json dashboardBriefing(const ServiceDatabase& database, const Caller& caller,
                                         TimePoint now);

// Remembers the decision about an action ("done", "dismissed", "snoozed" with a date after today);
// ServiceError(unprocessable) with a Dutch text for another decision or a missing or past date.
nlohmann::ordered_json decideBriefingAction(const ServiceDatabase& database, const Caller& caller,
                                            const std::string& actionId, const std::string& decision,
                                            const std::optional<std::string>& snoozeUntil, TimePoint now);

}  // namespace zelvorin::service
