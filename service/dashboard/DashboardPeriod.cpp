#include "service/dashboard/DashboardPeriod.h"

#include <vector>

#include "domain/Timestamps.h"
#include "service/http/ServiceError.h"

namespace zelvorin::service::dashboard {

namespace {

using namespace std::chrono;

std::string day(year_month_day date) {
    return formatCalendarDate(date);
}

std::string checkedDate(const std::string& text) {
    if (!parseCalendarDate(text))
        throw ServiceError(ErrorKind::unprocessable, "'" + text + "' is geen datum (JJJJ-MM-DD).");
    return text;
}

}  // namespace

DayRange periodRange(const std::string& period, year_month_day today, const std::string& earliest,
                     const std::optional<std::string>& from, const std::optional<std::string>& to) {
    const year y = today.year();
    if (period == "kwartaal") {
        const unsigned firstMonth = (static_cast<unsigned>(today.month()) - 1) / 3 * 3 + 1;
        return {day(y / month{firstMonth} / 1), day(today)};
    }
    if (period == "jaar") return {day(y / January / 1), day(today)};
    if (period == "vorig_jaar")
        return {day((y - years{1}) / January / 1), day((y - years{1}) / December / 31)};
    if (period == "alles")
        return {earliest.empty() || earliest > day(today) ? day(today) : earliest, day(today)};
    if (period == "aangepast") {
        DayRange range{from ? checkedDate(*from) : day(year_month_day{sys_days{today} - days{365}}),
                       to ? checkedDate(*to) : day(today)};
        if (range.first > range.last)
            throw ServiceError(ErrorKind::unprocessable, "De begindatum ligt na de einddatum.");
        return range;
    }
    throw ServiceError(
        ErrorKind::unprocessable,
        "Onbekende periode '" + period + "': kies kwartaal, jaar, vorig_jaar, aangepast of alles.");
}

std::vector<std::string> monthsOf(const DayRange& range) {
    std::vector<std::string> list;
    const auto first = parseCalendarDate(range.first);
    const auto last = parseCalendarDate(range.last);
    if (!first || !last) return list;
    for (year_month m = first->year() / first->month(); m <= last->year() / last->month(); m += months{1})
        list.push_back(day(m / 1).substr(0, 7));
    return list;
}

}  // namespace zelvorin::service::dashboard
