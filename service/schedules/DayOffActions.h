#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "domain/TimePoint.h"
#include "service/http/RequestContext.h"

namespace zelvorin::service {

class ServiceDatabase;

// The days off of a schedule: days it does not bill. Each answer holds NativeDayOff records (id,
// scheduleId, date, type, createdAt). The schedule must be one of the caller's live schedules
// (notFound otherwise, also for another organisation's); a day off is "vakantie", "ziek" or "vrij",
// a real date "yyyy-MM-dd", once per schedule and date. Refusals are ServiceErrors with a Dutch text
// and change nothing.

// {"daysOff": [...]} by date.
nlohmann::ordered_json listDaysOff(const ServiceDatabase& database, const Caller& caller,
                                   const std::string& scheduleId);
// {"dayOff": {...}}. A date the schedule has a day off on already is a conflict.
nlohmann::ordered_json addDayOff(const ServiceDatabase& database, const Caller& caller,
                                 const std::string& scheduleId, const nlohmann::ordered_json& body,
                                 TimePoint now);
// {"ok": true}; notFound for an id the schedule has no day off under.
nlohmann::ordered_json removeDayOff(const ServiceDatabase& database, const Caller& caller,
                                    const std::string& scheduleId, const std::string& dayOffId);

}  // namespace zelvorin::service
