#include <gtest/gtest.h>

#include <vector>

#include "domain/Timestamps.h"

namespace zelvorin {
namespace {

using namespace std::chrono;

TimePoint utc(year_month_day date, system_clock::duration time = {}) {
    return sys_days{date} + time;
}

TEST(TimestampsTest, FormatsUtcWithAndWithoutMilliseconds) {
    const TimePoint t = utc(2026y / 3 / 1, 9h + 30min + 1234567us);
    EXPECT_EQ(formatTimestampMillis(t), "2026-03-01T09:30:01.234Z");
    EXPECT_EQ(formatTimestampSeconds(t), "2026-03-01T09:30:01Z");
    EXPECT_EQ(formatTimestampMillis(utc(1969y / 12 / 31, 23h + 59min + 59s + 999999us)),
              "1969-12-31T23:59:59.999Z");
    EXPECT_EQ(formatCalendarDate(2026y / 1 / 5), "2026-01-05");
}

TEST(TimestampsTest, ParsesInternetDateTime) {
    const std::vector<std::pair<std::string_view, TimePoint>> cases{
        {"2026-03-01T09:30:00Z", utc(2026y / 3 / 1, 9h + 30min)},
        {"2026-03-01T09:30:00.000Z", utc(2026y / 3 / 1, 9h + 30min)},
        {"2026-03-01T09:30:00.5Z", utc(2026y / 3 / 1, 9h + 30min + 500ms)},
        {"2026-03-01T09:30:00.123456789123Z", utc(2026y / 3 / 1, 9h + 30min + 123456789ns)},
        {"2026-03-01T10:30:00+01:00", utc(2026y / 3 / 1, 9h + 30min)},
        {"2026-03-01T00:15:00-09:45", utc(2026y / 3 / 1, 10h)},
        {"2026-03-01t09:30:00z", utc(2026y / 3 / 1, 9h + 30min)},
        {"2026-12-31T23:59:60Z", utc(2027y / 1 / 1)},
        {"2024-02-29T00:00:00Z", utc(2024y / 2 / 29)},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(parseTimestamp(text), expected) << text;
    const TimePoint t = utc(2031y / 7 / 9, 17h + 2min + 3s + 45ms);
    EXPECT_EQ(parseTimestamp(formatTimestampMillis(t)), t);
}

TEST(TimestampsTest, RejectsMalformedText) {
    // clang-format off
    for (std::string_view text : {
             "", "2026-03-01", "2026-03-01T09:30:00", "2026-03-01 09:30:00Z", "2026-02-29T00:00:00Z",
             "2026-13-01T00:00:00Z", "2026-03-01T24:00:00Z", "2026-03-01T09:60:00Z", "2026-03-01T09:30:61Z",
             "2026-03-01T09:30:00.Z", "2026-03-01T09:30:00+0100", "2026-03-01T09:30:00+24:00",
             "2026-03-01T09:30:00ZZ", "2026-3-01T09:30:00Z", "+2026-03-01T09:30:00Z",
             "9999-12-31T23:59:59Z", "0001-01-01T00:00:00Z"}) {  // beyond what a time point holds
        // clang-format on
        EXPECT_FALSE(parseTimestamp(text)) << text;
    }
    for (std::string_view text :
         {"2026-02-29", "2026-00-10", "2026-01-32", "2026-01-1", "2026-01-010", "2026/01/10"}) {
        EXPECT_FALSE(parseCalendarDate(text)) << text;
    }
    EXPECT_EQ(parseCalendarDate("2028-02-29"), 2028y / 2 / 29);
}

TEST(TimestampsTest, AmsterdamDateFollowsSummerTime) {
    // Summer time 2026: 29 March 01:00 UTC until 25 October 01:00 UTC.
    struct Row {
        TimePoint at;
        hours offset;
        year_month_day date;
    };
    const std::vector<Row> rows{
        {utc(2026y / 3 / 29, 59min + 59s), 1h, 2026y / 3 / 29},
        {utc(2026y / 3 / 29, 1h), 2h, 2026y / 3 / 29},
        {utc(2026y / 7 / 1, 22h), 2h, 2026y / 7 / 2},
        {utc(2026y / 7 / 1, 21h + 59min), 2h, 2026y / 7 / 1},
        {utc(2026y / 10 / 25, 59min), 2h, 2026y / 10 / 25},
        {utc(2026y / 10 / 25, 1h), 1h, 2026y / 10 / 25},
        {utc(2026y / 12 / 31, 23h), 1h, 2027y / 1 / 1},
        {utc(2027y / 3 / 28, 1h), 2h, 2027y / 3 / 28},  // 2027: last Sunday is the 28th
        {utc(2027y / 3 / 27, 23h + 30min), 1h, 2027y / 3 / 28},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(amsterdamUtcOffset(row.at), row.offset) << formatTimestampSeconds(row.at);
        EXPECT_EQ(amsterdamDate(row.at), row.date) << formatTimestampSeconds(row.at);
    }
}

}  // namespace
}  // namespace zelvorin
