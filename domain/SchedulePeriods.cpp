#include "domain/SchedulePeriods.h"

#include <algorithm>

#include "domain/Timestamps.h"

namespace zelvorin {

using namespace std::chrono;

namespace {

constexpr std::pair<BillingFrequency, std::string_view> kFrequencies[]{
    {BillingFrequency::weekly, "weekly"},          {BillingFrequency::biweekly, "biweekly"},
    {BillingFrequency::fourWeekly, "four_weekly"}, {BillingFrequency::monthly, "monthly"},
    {BillingFrequency::quarterly, "quarterly"},    {BillingFrequency::halfYearly, "half_yearly"},
    {BillingFrequency::yearly, "yearly"},
};

// Weeks of a weekly kind, months of a monthly kind.
int stepOf(BillingFrequency frequency) {
    switch (frequency) {
        case BillingFrequency::weekly:
            return 1;
        case BillingFrequency::biweekly:
            return 2;
        case BillingFrequency::fourWeekly:
            return 4;
        case BillingFrequency::monthly:
            return 1;
        case BillingFrequency::quarterly:
            return 3;
        case BillingFrequency::halfYearly:
            return 6;
        case BillingFrequency::yearly:
            return 12;
    }
    return 1;
}

bool isWeekly(BillingFrequency frequency) {
    return frequency == BillingFrequency::weekly || frequency == BillingFrequency::biweekly ||
           frequency == BillingFrequency::fourWeekly;
}

sys_days mondayOf(sys_days day) {
    return day - (weekday{day} - Monday);
}

sys_days firstOfMonthsLater(year_month_day day, int months) {
    return sys_days{year_month{day.year(), day.month()} / 1 + std::chrono::months{months}};
}

std::vector<BillingPeriod> weeklyPeriods(const ScheduleRhythm& rhythm, sys_days from, std::size_t limit) {
    std::vector<BillingPeriod> periods;
    if (rhythm.billingDay < 1 || rhythm.billingDay > 7) return periods;
    const weekday billingWeekday{static_cast<unsigned>(rhythm.billingDay % 7)};
    const days step{7 * stepOf(rhythm.frequency)};
    sys_days date = rhythm.firstDay + (billingWeekday - weekday{rhythm.firstDay});
    if (date < from) date += step * ((from - date + step - days{1}) / step);
    for (; periods.size() < limit; date += step) {
        const sys_days start = rhythm.inArrears ? mondayOf(date) - step : mondayOf(date);
        periods.push_back({date, start, start + step - days{1}});
    }
    return periods;
}

std::vector<BillingPeriod> monthlyPeriods(const ScheduleRhythm& rhythm, sys_days from, std::size_t limit) {
    std::vector<BillingPeriod> periods;
    const int step = stepOf(rhythm.frequency);
    const year_month_day start{from};
    year_month month{start.year(), start.month()};
    // A year of months without a billing date cannot happen for these steps; the bound keeps
    // a broken rhythm from looping.
    for (int tried = 0; periods.size() < limit && tried < 1200 * 12;
         ++tried, month += std::chrono::months{1}) {
        if ((static_cast<unsigned>(month.month()) - 1) % step != 0) continue;
        const year_month_day_last last{month / std::chrono::last};
        const unsigned lastDay = static_cast<unsigned>(last.day());
        const unsigned wanted = rhythm.billingDay >= 1 ? static_cast<unsigned>(rhythm.billingDay) : lastDay;
        const sys_days date{month / day{std::min(wanted, lastDay)}};
        if (date < from) continue;
        const int offset = rhythm.inArrears ? -step : 0;
        const sys_days first = firstOfMonthsLater(year_month_day{date}, offset);
        periods.push_back({date, first, firstOfMonthsLater(year_month_day{first}, step) - days{1}});
    }
    return periods;
}

}  // namespace

std::optional<BillingFrequency> parseBillingFrequency(std::string_view raw) {
    for (const auto& [frequency, text] : kFrequencies)
        if (text == raw) return frequency;
    return std::nullopt;
}

std::string_view rawValue(BillingFrequency frequency) {
    for (const auto& [value, text] : kFrequencies)
        if (value == frequency) return text;
    return "";
}

std::optional<minutes> parseBillingTime(std::string_view text) {
    if (text.size() != 5 || text[2] != ':') return std::nullopt;
    for (const std::size_t at : {0u, 1u, 3u, 4u})
        if (text[at] < '0' || text[at] > '9') return std::nullopt;
    const int hour = (text[0] - '0') * 10 + (text[1] - '0');
    const int minute = (text[3] - '0') * 10 + (text[4] - '0');
    if (hour > 23 || minute > 59) return std::nullopt;
    return minutes{hour * 60 + minute};
}

std::vector<BillingPeriod> billingPeriods(const ScheduleRhythm& rhythm, sys_days from, std::size_t limit) {
    from = std::max(from, rhythm.firstDay);
    return isWeekly(rhythm.frequency) ? weeklyPeriods(rhythm, from, limit)
                                      : monthlyPeriods(rhythm, from, limit);
}

TimePoint billingInstant(sys_days billingDate, minutes billingTime) {
    const TimePoint local = billingDate + billingTime;
    // Read the offset two hours before the local time: that is the UTC instant in summer and an
    // hour before it in winter, on the same side of a change at 01:00 UTC except in the night of
    // the change itself, when no schedule bills.
    return local - amsterdamUtcOffset(local - hours{2});
}

std::int64_t billableHundredths(const BillingPeriod& period, const WorkWeek& hours,
                                const std::set<sys_days>& daysOff) {
    std::int64_t total = 0;
    for (sys_days day = period.from; day <= period.through; day += days{1}) {
        if (daysOff.contains(day)) continue;
        total += hours[weekday{day}.iso_encoding() - 1];
    }
    return total;
}

unsigned isoWeekNumber(sys_days day) {
    const sys_days thursday = mondayOf(day) + days{3};
    const year_month_day thursdayDate{thursday};
    const sys_days firstOfYear{thursdayDate.year() / January / 1};
    return static_cast<unsigned>((thursday - firstOfYear).count() / 7 + 1);
}

}  // namespace zelvorin
