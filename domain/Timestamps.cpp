#include "domain/Timestamps.h"

#include "domain/DecimalText.h"

namespace zelvorin {

namespace {

using namespace std::chrono;

void appendDate(std::string& out, year_month_day date) {
    int y = static_cast<int>(date.year());
    if (y < 0) {
        out.push_back('-');
        y = -y;
    }
    detail::appendPadded(out, static_cast<std::uint64_t>(y), 4);
    out.push_back('-');
    detail::appendPadded(out, static_cast<unsigned>(date.month()), 2);
    out.push_back('-');
    detail::appendPadded(out, static_cast<unsigned>(date.day()), 2);
}

std::string formatTimestamp(TimePoint time, bool withMillis) {
    const auto millis = floor<milliseconds>(time);
    const auto day = floor<days>(millis);
    const hh_mm_ss clock{millis - day};
    std::string out;
    out.reserve(24);
    appendDate(out, year_month_day{day});
    out.push_back('T');
    detail::appendPadded(out, static_cast<std::uint64_t>(clock.hours().count()), 2);
    out.push_back(':');
    detail::appendPadded(out, static_cast<std::uint64_t>(clock.minutes().count()), 2);
    out.push_back(':');
    detail::appendPadded(out, static_cast<std::uint64_t>(clock.seconds().count()), 2);
    if (withMillis) {
        out.push_back('.');
        detail::appendPadded(out, static_cast<std::uint64_t>(clock.subseconds().count()), 3);
    }
    out.push_back('Z');
    return out;
}

// Reads a fixed-width run of ASCII digits, advancing `pos`; -1 when any is missing.
int readDigits(std::string_view text, std::size_t& pos, std::size_t count) {
    if (text.size() - pos < count) return -1;
    int value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const char c = text[pos + i];
        if (c < '0' || c > '9') return -1;
        value = value * 10 + (c - '0');
    }
    pos += count;
    return value;
}

bool expect(std::string_view text, std::size_t& pos, char lower, char upper) {
    if (pos >= text.size() || (text[pos] != lower && text[pos] != upper)) return false;
    ++pos;
    return true;
}

std::optional<year_month_day> readDate(std::string_view text, std::size_t& pos) {
    const int y = readDigits(text, pos, 4);
    if (y < 0 || !expect(text, pos, '-', '-')) return std::nullopt;
    const int m = readDigits(text, pos, 2);
    if (m < 0 || !expect(text, pos, '-', '-')) return std::nullopt;
    const int d = readDigits(text, pos, 2);
    if (d < 0) return std::nullopt;
    const year_month_day date{year{y}, month{static_cast<unsigned>(m)}, day{static_cast<unsigned>(d)}};
    if (!date.ok()) return std::nullopt;
    return date;
}

// Fraction digits after '.', as nanoseconds; digits past the ninth are read but ignored.
std::optional<nanoseconds> readFraction(std::string_view text, std::size_t& pos) {
    std::int64_t nanos = 0;
    std::size_t digits = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        if (digits < 9) nanos = nanos * 10 + (text[pos] - '0');
        ++digits;
        ++pos;
    }
    if (digits == 0) return std::nullopt;
    for (std::size_t i = digits; i < 9; ++i)
        nanos *= 10;
    return nanoseconds{nanos};
}

// "Z" or "+hh:mm" / "-hh:mm": the offset to subtract to reach UTC.
std::optional<minutes> readOffset(std::string_view text, std::size_t& pos) {
    if (expect(text, pos, 'z', 'Z')) return minutes{0};
    if (pos >= text.size() || (text[pos] != '+' && text[pos] != '-')) return std::nullopt;
    const bool negative = text[pos++] == '-';
    const int h = readDigits(text, pos, 2);
    if (h < 0 || h > 23 || !expect(text, pos, ':', ':')) return std::nullopt;
    const int m = readDigits(text, pos, 2);
    if (m < 0 || m > 59) return std::nullopt;
    const minutes offset = hours{h} + minutes{m};
    return negative ? -offset : offset;
}

bool representable(seconds sinceEpoch) {
    constexpr auto kLimit = duration_cast<seconds>(system_clock::duration::max()) - seconds{1};
    return sinceEpoch > -kLimit && sinceEpoch < kLimit;
}

sys_days lastSunday(year y, month m) {
    return sys_days{year_month_weekday_last{y, m, weekday_last{Sunday}}};
}

}  // namespace

std::string formatTimestampMillis(TimePoint time) {
    return formatTimestamp(time, true);
}

std::string formatTimestampSeconds(TimePoint time) {
    return formatTimestamp(time, false);
}

std::optional<TimePoint> parseTimestamp(std::string_view text) {
    std::size_t pos = 0;
    const std::optional<year_month_day> date = readDate(text, pos);
    if (!date || !expect(text, pos, 't', 'T')) return std::nullopt;
    const int h = readDigits(text, pos, 2);
    if (h < 0 || h > 23 || !expect(text, pos, ':', ':')) return std::nullopt;
    const int m = readDigits(text, pos, 2);
    if (m < 0 || m > 59 || !expect(text, pos, ':', ':')) return std::nullopt;
    const int s = readDigits(text, pos, 2);
    if (s < 0 || s > 60) return std::nullopt;  // 60: a leap second, folded into the next minute
    nanoseconds fraction{0};
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        const auto read = readFraction(text, pos);
        if (!read) return std::nullopt;
        fraction = *read;
    }
    const std::optional<minutes> offset = readOffset(text, pos);
    if (!offset || pos != text.size()) return std::nullopt;

    const seconds sinceEpoch =
        sys_days{*date}.time_since_epoch() + hours{h} + minutes{m} + seconds{s} - *offset;
    if (!representable(sinceEpoch)) return std::nullopt;
    return TimePoint{duration_cast<system_clock::duration>(sinceEpoch + fraction)};
}

std::optional<year_month_day> parseCalendarDate(std::string_view text) {
    std::size_t pos = 0;
    const std::optional<year_month_day> date = readDate(text, pos);
    if (!date || pos != text.size()) return std::nullopt;
    return date;
}

std::string formatCalendarDate(year_month_day date) {
    std::string out;
    out.reserve(10);
    appendDate(out, date);
    return out;
}

std::chrono::seconds amsterdamUtcOffset(TimePoint time) {
    const year y = year_month_day{floor<days>(time)}.year();
    const TimePoint summerStarts = lastSunday(y, March) + hours{1};
    const TimePoint summerEnds = lastSunday(y, October) + hours{1};
    return (time >= summerStarts && time < summerEnds) ? hours{2} : hours{1};
}

year_month_day amsterdamDate(TimePoint time) {
    return year_month_day{floor<days>(time + amsterdamUtcOffset(time))};
}

}  // namespace zelvorin
