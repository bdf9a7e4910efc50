#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "app/NLHolidays.h"

namespace zelvorin {

// A day off of a schedule as the screen lists it (from the service's NativeDayOff).
struct DayOffItem {
    std::string id;
    std::chrono::sys_days date;
    std::string type;  // "vakantie", "ziek", anything else is a day off of another kind
};

// Days shown as one line: consecutive days off of the same type, or consecutive public holidays
// (which carry their names and no ids).
struct DayOffGroup {
    std::vector<std::string> ids;
    std::chrono::sys_days from;
    std::chrono::sys_days to;
    std::string type;
    std::optional<std::string> holidayName;

    // Derived from the ids (from the first day for holidays, which have none).
    std::string identity() const;
};

// The days off and the public holidays, grouped and in date order; a public holiday on which a day
// off was entered too stays in its own group.
std::vector<DayOffGroup> groupDaysOff(std::vector<DayOffItem> days,
                                      const std::vector<NLHolidayRecord>& holidays);

// "Vakantie", "Ziekteverzuim", "Vrij"; "Feestdag" for a group with a holiday name.
std::string dayOffLabel(const DayOffGroup& group);
// "15-04-2026", or "15-04-2026 – 17-04-2026" for more than one day (dates read in UTC).
std::string dayOffDates(const DayOffGroup& group);

}  // namespace zelvorin
