#include <gtest/gtest.h>

#include <algorithm>

#include "domain/DutchPublicHolidays.h"
#include "domain/ScheduleDescription.h"
#include "domain/ScheduleIndexation.h"
#include "domain/SchedulePeriods.h"
#include "domain/Timestamps.h"

namespace zelvorin {
namespace {

using namespace std::chrono;

std::string dated(sys_days day) {
    return formatCalendarDate(year_month_day{day});
}

std::vector<std::string> holidayDates(int y, bool onlyDaysOff) {
    std::vector<std::string> dates;
    for (const DutchPublicHoliday& holiday : dutchPublicHolidays(year{y}))
        if (!onlyDaysOff || holiday.dayOff)
            dates.push_back(formatCalendarDate(holiday.date) + " " + holiday.localName);
    return dates;
}

TEST(DutchPublicHolidaysTest, EasterAndTheDaysThatHangOnIt) {
    for (const auto& [y, easter] : std::vector<std::pair<int, std::string>>{{2024, "2024-03-31"},
                                                                            {2025, "2025-04-20"},
                                                                            {2026, "2026-04-05"},
                                                                            {2038, "2038-04-25"},
                                                                            {2285, "2285-03-22"},
                                                                            {2000, "2000-04-23"}})
        EXPECT_EQ(formatCalendarDate(easterSunday(year{y})), easter) << y;

    EXPECT_EQ(holidayDates(2026, true),
              (std::vector<std::string>{"2026-01-01 Nieuwjaarsdag", "2026-04-05 Eerste Paasdag",
                                        "2026-04-06 Tweede Paasdag", "2026-04-27 Koningsdag",
                                        "2026-05-05 Bevrijdingsdag", "2026-05-14 Hemelvaartsdag",
                                        "2026-05-24 Eerste Pinksterdag", "2026-05-25 Tweede Pinksterdag",
                                        "2026-12-25 Eerste Kerstdag", "2026-12-26 Tweede Kerstdag"}));
    // Good Friday is in the calendar, but not a day off.
    const auto all2026 = holidayDates(2026, false);
    EXPECT_NE(std::find(all2026.begin(), all2026.end(), "2026-04-03 Goede Vrijdag"), all2026.end());
}

TEST(DutchPublicHolidaysTest, KingsDayAvoidsSundayAndTheListStaysInDateOrder) {
    const auto has = [](int y, const std::string& entry) {
        const auto dates = holidayDates(y, true);
        return std::find(dates.begin(), dates.end(), entry) != dates.end();
    };
    EXPECT_TRUE(has(2025, "2025-04-26 Koningsdag"));  // the 27th is a Sunday
    EXPECT_TRUE(has(2014, "2014-04-26 Koningsdag"));
    EXPECT_TRUE(has(2013, "2013-04-30 Koninginnedag"));
    EXPECT_TRUE(has(2006, "2006-04-29 Koninginnedag"));   // the 30th is a Sunday
    EXPECT_TRUE(has(2027, "2027-05-05 Bevrijdingsdag"));  // every year, not only every fifth
    // 2011: Easter on 24 April, so Easter Monday comes before Queen's Day; 2008: Ascension on 1 May.
    for (const int y : {2008, 2011, 2038, 2285}) {
        const auto holidays = dutchPublicHolidays(year{y});
        EXPECT_TRUE(std::is_sorted(holidays.begin(), holidays.end(), [](const auto& a, const auto& b) {
            return sys_days{a.date} < sys_days{b.date};
        })) << y;
        EXPECT_EQ(holidays.size(), 11u);
    }
}

ScheduleRhythm rhythm(BillingFrequency frequency, int billingDay, year_month_day first,
                      bool arrears = false) {
    return {frequency, billingDay, minutes{9 * 60}, arrears, sys_days{first}};
}

TEST(SchedulePeriodsTest, WeeklyKindsBillWholeWeeksFromTheFirstFittingWeekday) {
    // Weekly on Monday from Wednesday 1 April 2026: the first Monday is 6 April.
    auto periods =
        billingPeriods(rhythm(BillingFrequency::weekly, 1, 2026y / 4 / 1), sys_days{2026y / 1 / 1}, 3);
    ASSERT_EQ(periods.size(), 3u);
    EXPECT_EQ(dated(periods[0].billingDate), "2026-04-06");
    EXPECT_EQ(dated(periods[0].from), "2026-04-06");
    EXPECT_EQ(dated(periods[0].through), "2026-04-12");
    EXPECT_EQ(dated(periods[2].billingDate), "2026-04-20");

    // Four-weekly on Friday, in arrears, asked from a day between two billing dates: the rhythm
    // stays on its own grid.
    periods = billingPeriods(rhythm(BillingFrequency::fourWeekly, 5, 2025y / 12 / 22, true),
                             sys_days{2026y / 3 / 1}, 2);
    ASSERT_EQ(periods.size(), 2u);
    EXPECT_EQ(dated(periods[0].billingDate), "2026-03-20");
    EXPECT_EQ(dated(periods[0].from), "2026-02-16");
    EXPECT_EQ(dated(periods[0].through), "2026-03-15");
    EXPECT_EQ(dated(periods[1].billingDate), "2026-04-17");

    EXPECT_TRUE(billingPeriods(rhythm(BillingFrequency::weekly, 0, 2026y / 4 / 1), sys_days{2026y / 4 / 1}, 3)
                    .empty());
    EXPECT_TRUE(
        billingPeriods(rhythm(BillingFrequency::biweekly, 8, 2026y / 4 / 1), sys_days{2026y / 4 / 1}, 3)
            .empty());
}

TEST(SchedulePeriodsTest, MonthlyKindsClampTheDayAndKeepToTheirMonths) {
    auto periods =
        billingPeriods(rhythm(BillingFrequency::monthly, 31, 2026y / 1 / 15), sys_days{2026y / 1 / 1}, 4);
    ASSERT_EQ(periods.size(), 4u);
    EXPECT_EQ(dated(periods[0].billingDate), "2026-01-31");
    EXPECT_EQ(dated(periods[1].billingDate), "2026-02-28");
    EXPECT_EQ(dated(periods[1].from), "2026-02-01");
    EXPECT_EQ(dated(periods[1].through), "2026-02-28");
    EXPECT_EQ(dated(periods[3].billingDate), "2026-04-30");
    EXPECT_EQ(dated(billingPeriods(rhythm(BillingFrequency::monthly, 0, 2028y / 2 / 1),
                                   sys_days{2028y / 2 / 1}, 1)[0]
                        .billingDate),
              "2028-02-29");

    // Quarterly from 2 May: July, billed in arrears for April to June.
    periods = billingPeriods(rhythm(BillingFrequency::quarterly, 1, 2026y / 5 / 2, true),
                             sys_days{2026y / 5 / 2}, 2);
    ASSERT_EQ(periods.size(), 2u);
    EXPECT_EQ(dated(periods[0].billingDate), "2026-07-01");
    EXPECT_EQ(dated(periods[0].from), "2026-04-01");
    EXPECT_EQ(dated(periods[0].through), "2026-06-30");
    EXPECT_EQ(dated(periods[1].billingDate), "2026-10-01");
    // Yearly in advance, seen on 2 January: next January, the whole year.
    periods = billingPeriods(rhythm(BillingFrequency::yearly, 1, 2026y / 1 / 2), sys_days{2026y / 1 / 2}, 1);
    EXPECT_EQ(dated(periods[0].billingDate), "2027-01-01");
    EXPECT_EQ(dated(periods[0].through), "2027-12-31");
}

TEST(SchedulePeriodsTest, HoursLeaveOutDaysOffAndTheBillingMomentIsAmsterdamTime) {
    const WorkWeek week{800, 800, 800, 800, 800, 0, 0};
    const BillingPeriod easterWeek{sys_days{2026y / 4 / 6}, sys_days{2026y / 4 / 6},
                                   sys_days{2026y / 4 / 12}};
    EXPECT_EQ(billableHundredths(easterWeek, week, {}), 4000);
    EXPECT_EQ(billableHundredths(easterWeek, week, {sys_days{2026y / 4 / 6}, sys_days{2026y / 4 / 11}}),
              3200);

    EXPECT_EQ(formatTimestampSeconds(billingInstant(sys_days{2026y / 4 / 6}, minutes{9 * 60})),
              "2026-04-06T07:00:00Z");
    EXPECT_EQ(formatTimestampSeconds(billingInstant(sys_days{2026y / 1 / 5}, minutes{9 * 60})),
              "2026-01-05T08:00:00Z");
    EXPECT_EQ(parseBillingTime("08:30"), minutes{510});
    for (const char* bad : {"24:00", "9:00", "09:60", "09.00", ""})
        EXPECT_FALSE(parseBillingTime(bad)) << bad;
}

TEST(ScheduleDescriptionTest, FillsEveryVariableOfThePeriod) {
    // 28 December 2026 lies in ISO week 53; 4 January 2027 begins week 1.
    const BillingPeriod period{sys_days{2026y / 12 / 28}, sys_days{2026y / 12 / 28}, sys_days{2027y / 1 / 3}};
    EXPECT_EQ(
        fillScheduleDescription("{klantnaam} -- week {weeknummer} ({periode}) {maandnaam} {maand} {kwartaal} "
                                "{jaar} {factuurnummer}{onbekend} {",
                                period, "Bakkerij Van Dam", "FAC-2026-0042"),
        "Bakkerij Van Dam -- week 53 (28-12-2026 t/m 03-01-2027) december 12 Q4 2026 FAC-2026-0042{onbekend} "
        "{");
    EXPECT_EQ(fillScheduleDescription("{jaar}: {factuurnummer}", period, ""), "2026: {factuurnummer}");
    EXPECT_EQ(isoWeekNumber(sys_days{2027y / 1 / 4}), 1u);
    EXPECT_EQ(isoWeekNumber(sys_days{2026y / 1 / 1}), 1u);
}

TEST(ScheduleIndexationTest, EachNewYearAfterTheFirstDayRaisesTheAmountOnce) {
    const sys_days started{2026y / 3 / 16};
    EXPECT_EQ(indexationSteps(started, sys_days{2026y / 12 / 31}), 0);
    EXPECT_EQ(indexationSteps(started, sys_days{2027y / 1 / 1}), 1);
    EXPECT_EQ(indexationSteps(started, sys_days{2029y / 6 / 1}), 3);
    EXPECT_EQ(indexationSteps(sys_days{2027y / 1 / 1}, sys_days{2027y / 1 / 1}), 0);  // started on it
    EXPECT_EQ(indexationSteps(started, sys_days{2025y / 1 / 1}), 0);

    EXPECT_EQ(indexedCents(9500, 300, 1), 9785);
    EXPECT_EQ(indexedCents(9500, 300, 2), 10079);  // 97,85 × 1,03 = 100,7855: rounded each year
    EXPECT_EQ(indexedCents(9999, 250, 1), 10249);  // 102,48975 rounds up
    EXPECT_EQ(indexedCents(9500, 0, 5), 9500);
    EXPECT_EQ(indexedCents(9500, 1500, 0), 9500);
}

}  // namespace
}  // namespace zelvorin
