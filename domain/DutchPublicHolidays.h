#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace zelvorin {

// A holiday of the Dutch calendar. `dayOff` tells a general day off (the days the
// Algemene termijnenwet counts, plus the Sundays of Easter and Whitsun) from a day that is only
// observed: Good Friday is in the calendar, but most people work.
struct DutchPublicHoliday {
    std::chrono::year_month_day date;
    std::string localName;  // "Tweede Paasdag"
    std::string name;       // "Easter Monday"
    bool dayOff = true;
};

// Easter Sunday of a Gregorian year (the anonymous Gregorian computus).
std::chrono::year_month_day easterSunday(std::chrono::year year);

// The holidays of `year` in date order: New Year's Day, Good Friday, Easter Sunday and Monday,
// King's Day (27 April, the 26th when the 27th is a Sunday; before 2014 Queen's Day on 30 April,
// the 29th when that is a Sunday), Liberation Day (5 May, every year), Ascension Day, Whit Sunday and
// Monday, Christmas Day and Boxing Day.
std::vector<DutchPublicHoliday> dutchPublicHolidays(std::chrono::year year);

}  // namespace zelvorin
