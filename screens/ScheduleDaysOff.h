#pragma once

#include <chrono>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "screens/DayOffGroups.h"

namespace zelvorin {

class SyncAPIClient;

// The days off of one schedule as its dialog edits them. They are kept by the service, not synced,
// so every change is a call; each call answers with the days off as the service now holds them and
// the public holidays of the years they span, a value the dialog can carry to the GUI thread.
struct ScheduleDaysOff {
    static constexpr int kLongestRange = 366;
    // The kinds a person picks from, with their labels: vakantie, ziek, vrij.
    static const std::vector<std::pair<std::string, std::string>>& kinds();

    std::vector<DayOffItem> days;
    std::vector<NLHolidayRecord> holidays;

    std::vector<DayOffGroup> groups() const { return groupDaysOff(days, holidays); }
    // The days the schedule does not bill: its days off and the public holidays.
    std::set<std::chrono::sys_days> daysNotBilled() const;

    // The days of a typed range ("2026-07-20" to "2026-07-31"; an empty end is the start day alone).
    // InputError when a date does not read, the end lies before the start or the range is longer than
    // a year.
    static std::vector<std::chrono::sys_days> typedRange(const std::string& from, const std::string& to);

    // The schedule's days off, with the holidays of `year`, the next year and every year a day off
    // falls in.
    static ScheduleDaysOff fetch(SyncAPIClient& client, NLHolidays& holidays, const std::string& scheduleId,
                                 std::chrono::year year);
    // One day off of `type` for each day of `range` that is not off yet, then the days off anew.
    static ScheduleDaysOff add(SyncAPIClient& client, NLHolidays& holidays, const std::string& scheduleId,
                               const std::vector<std::chrono::sys_days>& range, const std::string& type,
                               std::chrono::year year);
    // Every day off of a listed group removed (a public holiday has none), then the days off anew.
    static ScheduleDaysOff remove(SyncAPIClient& client, NLHolidays& holidays, const std::string& scheduleId,
                                  const DayOffGroup& group, std::chrono::year year);
};

}  // namespace zelvorin
