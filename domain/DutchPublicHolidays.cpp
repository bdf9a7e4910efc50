#include "domain/DutchPublicHolidays.h"

#include <algorithm>

namespace zelvorin {

using namespace std::chrono;

year_month_day easterSunday(year y) {
    const int Y = static_cast<int>(y);
    const int a = Y % 19;
    const int b = Y / 100;
    const int c = Y % 100;
    const int d = b / 4;
    const int e = b % 4;
    const int f = (b + 8) / 25;
    const int g = (b - f + 1) / 3;
    const int h = (19 * a + b - d - g + 15) % 30;
    const int i = c / 4;
    const int k = c % 4;
    const int l = (32 + 2 * e + 2 * i - h - k) % 7;
    const int m = (a + 11 * h + 22 * l) / 451;
    const int month = (h + l - 7 * m + 114) / 31;
    const int day = (h + l - 7 * m + 114) % 31 + 1;
    return y / static_cast<unsigned>(month) / static_cast<unsigned>(day);
}

namespace {

year_month_day shifted(year_month_day date, int days) {
    return year_month_day{sys_days{date} + std::chrono::days{days}};
}

year_month_day sundayMovedBack(year_month_day date) {
    return weekday{sys_days{date}} == Sunday ? shifted(date, -1) : date;
}

}  // namespace

std::vector<DutchPublicHoliday> dutchPublicHolidays(year y) {
    const year_month_day easter = easterSunday(y);
    std::vector<DutchPublicHoliday> days{
        {y / January / 1, "Nieuwjaarsdag", "New Year's Day", true},
        {shifted(easter, -2), "Goede Vrijdag", "Good Friday", false},
        {easter, "Eerste Paasdag", "Easter Sunday", true},
        {shifted(easter, 1), "Tweede Paasdag", "Easter Monday", true},
        y >= year{2014}
            ? DutchPublicHoliday{sundayMovedBack(y / April / 27), "Koningsdag", "King's Day", true}
            : DutchPublicHoliday{sundayMovedBack(y / April / 30), "Koninginnedag", "Queen's Day", true},
        {y / May / 5, "Bevrijdingsdag", "Liberation Day", true},
        {shifted(easter, 39), "Hemelvaartsdag", "Ascension Day", true},
        {shifted(easter, 49), "Eerste Pinksterdag", "Whit Sunday", true},
        {shifted(easter, 50), "Tweede Pinksterdag", "Whit Monday", true},
        {y / December / 25, "Eerste Kerstdag", "Christmas Day", true},
        {y / December / 26, "Tweede Kerstdag", "Boxing Day", true},
    };
    // King's Day can fall before Easter Monday (Easter late in April), Liberation Day on Ascension.
    std::stable_sort(days.begin(), days.end(), [](const DutchPublicHoliday& a, const DutchPublicHoliday& b) {
        return sys_days{a.date} < sys_days{b.date};
    });
    return days;
}

}  // namespace zelvorin
