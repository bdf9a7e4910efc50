#include "screens/DayOffGroups.h"

#include <algorithm>

#include "domain/Timestamps.h"

namespace zelvorin {

using namespace std::chrono;

namespace {

std::string dutchDate(sys_days day) {
    const std::string iso = formatCalendarDate(year_month_day{day});
    return iso.substr(8, 2) + "-" + iso.substr(5, 2) + "-" + iso.substr(0, 4);
}

bool extends(const DayOffGroup& group, sys_days day, const std::string& type, bool holiday) {
    return group.to + days{1} == day && group.type == type && group.holidayName.has_value() == holiday;
}

}  // namespace

std::string DayOffGroup::identity() const {
    if (ids.empty()) return "feestdag-" + formatCalendarDate(year_month_day{from});
    std::string joined;
    for (const std::string& id : ids)
        joined += (joined.empty() ? "" : "+") + id;
    return joined;
}

std::vector<DayOffGroup> groupDaysOff(std::vector<DayOffItem> items,
                                      const std::vector<NLHolidayRecord>& holidays) {
    struct Day {
        sys_days date;
        bool holiday;
        std::string type;
        std::string idOrName;
    };
    std::vector<Day> all;
    for (DayOffItem& item : items)
        all.push_back({item.date, false, std::move(item.type), std::move(item.id)});
    for (const NLHolidayRecord& holiday : holidays)
        if (const auto date = parseCalendarDate(holiday.date))
            all.push_back({sys_days{*date}, true, "feestdag", holiday.name});
    std::stable_sort(all.begin(), all.end(), [](const Day& a, const Day& b) {
        return a.date != b.date ? a.date < b.date : a.holiday < b.holiday;
    });
    std::vector<DayOffGroup> groups;
    for (const Day& day : all) {
        auto open = std::find_if(groups.rbegin(), groups.rend(), [&](const DayOffGroup& group) {
            return extends(group, day.date, day.type, day.holiday);
        });
        if (open == groups.rend()) {
            groups.push_back({{}, day.date, day.date, day.type, std::nullopt});
            if (day.holiday)
                groups.back().holidayName = day.idOrName;
            else
                groups.back().ids.push_back(day.idOrName);
            continue;
        }
        open->to = day.date;
        if (day.holiday)
            *open->holidayName += " en " + day.idOrName;
        else
            open->ids.push_back(day.idOrName);
    }
    std::stable_sort(groups.begin(), groups.end(),
                     [](const DayOffGroup& a, const DayOffGroup& b) { return a.from < b.from; });
    return groups;
}

std::string dayOffLabel(const DayOffGroup& group) {
    if (group.holidayName) return "Feestdag";
    if (group.type == "vakantie") return "Vakantie";
    if (group.type == "ziek") return "Ziekteverzuim";
    return "Vrij";
}

std::string dayOffDates(const DayOffGroup& group) {
    return group.from == group.to ? dutchDate(group.from)
                                  : dutchDate(group.from) + " – " + dutchDate(group.to);
}

}  // namespace zelvorin
