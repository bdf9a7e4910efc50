#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "domain/TimePoint.h"

namespace zelvorin {

// "2026-03-01T09:30:00.000Z": the form the store writes for every timestamp column. Its first ten
// characters are the UTC calendar date, which the store's queries compare as text.
std::string formatTimestampMillis(TimePoint time);
// "2026-03-01T09:30:00Z": without fractional seconds (the pull cursor's last_pulled_at).
std::string formatTimestampSeconds(TimePoint time);

// Internet date-time text: "yyyy-MM-ddTHH:mm:ss", an optional fraction of any length (digits past
// nanoseconds are ignored), then "Z" or an offset "+hh:mm" / "-hh:mm". 't' and 'z' are accepted in
// lower case. Anything else, including impossible dates, gives nothing.
std::optional<TimePoint> parseTimestamp(std::string_view text);

// "yyyy-MM-dd", exactly ten characters of a real Gregorian date.
std::optional<std::chrono::year_month_day> parseCalendarDate(std::string_view text);
std::string formatCalendarDate(std::chrono::year_month_day date);

// Offset of Europe/Amsterdam from UTC at `time`: +2h from the last Sunday of March 01:00 UTC to the
// last Sunday of October 01:00 UTC, +1h otherwise (the EU rule; the standard library here has no
// time-zone database, and the rule is all this program needs).
std::chrono::seconds amsterdamUtcOffset(TimePoint time);
// The calendar date in Amsterdam at `time` ("today" for due dates and schedules).
std::chrono::year_month_day amsterdamDate(TimePoint time);

}  // namespace zelvorin
