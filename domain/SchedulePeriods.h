#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string_view>
#include <vector>

#include "domain/TimePoint.h"

namespace zelvorin {

// When a recurring-invoice schedule bills and which days an invoice covers. The service
// generates its invoices by these rules and the schedule screen previews them, so both agree.
//
// Weekly kinds (weekly, biweekly, four_weekly): the billing day is a weekday (1 Monday … 7 Sunday);
// the first billing date is that weekday on or after the schedule's first day, then every 1, 2 or
// 4 weeks. A period is as many whole weeks, Monday to Sunday.
// Monthly kinds (monthly, quarterly, half_yearly, yearly): the billing day is a day of the month,
// the month's last day when it is 0 or past the month's end; quarterly schedules bill in January,
// April, July and October, half-yearly ones in January and July, yearly ones in January. A period
// is as many whole calendar months.
// Billing in advance covers the period that begins in the billing date's week (month); billing in
// arrears the period just before it.
enum class BillingFrequency { weekly, biweekly, fourWeekly, monthly, quarterly, halfYearly, yearly };

std::optional<BillingFrequency> parseBillingFrequency(std::string_view raw);
std::string_view rawValue(BillingFrequency frequency);

// Hours per weekday in hundredths, Monday first (the schedule's "ma" … "zo").
using WorkWeek = std::array<std::int64_t, 7>;

struct ScheduleRhythm {
    BillingFrequency frequency = BillingFrequency::fourWeekly;
    int billingDay = 5;
    std::chrono::minutes billingTime{9 * 60};  // Amsterdam time of day
    bool inArrears = false;                    // billing moment "arrears" rather than "advance"
    std::chrono::sys_days firstDay{};          // no billing date before it
};

struct BillingPeriod {
    std::chrono::sys_days billingDate;
    std::chrono::sys_days from;
    std::chrono::sys_days through;  // inclusive

    bool operator==(const BillingPeriod&) const = default;
};

// "09:00" as minutes after midnight; nothing for anything but a time "HH:mm" of a day.
std::optional<std::chrono::minutes> parseBillingTime(std::string_view text);

// The billing dates of `rhythm` on or after `from` (and its first day), in order, at most `limit`.
// None when the billing day does not fit the frequency (a weekday outside 1 … 7).
std::vector<BillingPeriod> billingPeriods(const ScheduleRhythm& rhythm, std::chrono::sys_days from,
                                          std::size_t limit);

// The instant of a billing date's billing time in Amsterdam.
TimePoint billingInstant(std::chrono::sys_days billingDate, std::chrono::minutes billingTime);

// The hours of the period's days by their weekday, leaving out the days in `daysOff`.
std::int64_t billableHundredths(const BillingPeriod& period, const WorkWeek& hours,
                                const std::set<std::chrono::sys_days>& daysOff);

// The ISO 8601 week number (weeks begin on Monday; week 1 holds the year's first Thursday).
unsigned isoWeekNumber(std::chrono::sys_days day);

}  // namespace zelvorin
