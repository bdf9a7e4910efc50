#include "screens/ScheduleDaysOff.h"

#include <algorithm>

#include "api-client/ScheduleActions.h"
#include "domain/Timestamps.h"
#include "screens/InputError.h"
#include "screens/TypedInput.h"

namespace zelvorin {

using namespace std::chrono;

namespace {

sys_days typedDay(const std::string& typed, const std::string& label) {
    return sys_days{*parseCalendarDate(typedDate(typed, label))};
}

}  // namespace

const std::vector<std::pair<std::string, std::string>>& ScheduleDaysOff::kinds() {
    static const std::vector<std::pair<std::string, std::string>> all{
        {"vakantie", "Vakantie"}, {"ziek", "Ziekteverzuim"}, {"vrij", "Vrij"}};
    return all;
}

std::set<sys_days> ScheduleDaysOff::daysNotBilled() const {
    std::set<sys_days> off;
    for (const DayOffItem& day : days)
        off.insert(day.date);
    for (const NLHolidayRecord& holiday : holidays)
        if (const auto date = parseCalendarDate(holiday.date)) off.insert(sys_days{*date});
    return off;
}

std::vector<sys_days> ScheduleDaysOff::typedRange(const std::string& from, const std::string& to) {
    const sys_days first = typedDay(from, "van");
    const sys_days last = to.empty() ? first : typedDay(to, "tot en met");
    if (last < first)
        throw InputError(InputError::Kind::invalidValue, "De einddatum ligt vóór de begindatum.");
    if ((last - first).count() >= kLongestRange)
        throw InputError(InputError::Kind::invalidValue,
                         "Voer vrije dagen per periode van hoogstens een jaar in.");
    std::vector<sys_days> range;
    for (sys_days day = first; day <= last; day += std::chrono::days{1})
        range.push_back(day);
    return range;
}

ScheduleDaysOff ScheduleDaysOff::fetch(SyncAPIClient& client, NLHolidays& holidays,
                                       const std::string& scheduleId, year current) {
    ScheduleDaysOff answer;
    // This year's holidays and next year's: the next invoices reach into it.
    std::set<int> years{static_cast<int>(current), static_cast<int>(current) + 1};
    for (const scheduleactions::NativeDayOff& day : scheduleactions::daysOff(client, scheduleId)) {
        const auto date = parseCalendarDate(day.date);
        if (!date) continue;  // the service only sends calendar dates; a stray one cannot be shown
        answer.days.push_back({day.id, sys_days{*date}, day.type});
        years.insert(static_cast<int>(date->year()));
    }
    for (const int each : years)
        for (NLHolidayRecord& holiday : holidays.records(each))
            answer.holidays.push_back(std::move(holiday));
    return answer;
}

ScheduleDaysOff ScheduleDaysOff::add(SyncAPIClient& client, NLHolidays& holidays,
                                     const std::string& scheduleId, const std::vector<sys_days>& range,
                                     const std::string& type, year current) {
    const ScheduleDaysOff before = fetch(client, holidays, scheduleId, current);
    for (const sys_days day : range) {
        const bool taken = std::any_of(before.days.begin(), before.days.end(),
                                       [&](const DayOffItem& item) { return item.date == day; });
        if (!taken)
            scheduleactions::addDayOff(client, scheduleId, formatCalendarDate(year_month_day{day}), type);
    }
    return fetch(client, holidays, scheduleId, current);
}

ScheduleDaysOff ScheduleDaysOff::remove(SyncAPIClient& client, NLHolidays& holidays,
                                        const std::string& scheduleId, const DayOffGroup& group,
                                        year current) {
    for (const std::string& id : group.ids)
        scheduleactions::removeDayOff(client, scheduleId, id);
    return fetch(client, holidays, scheduleId, current);
}

}  // namespace zelvorin
