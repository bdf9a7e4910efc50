#include "domain/IsoDateTime.h"

#include <cctype>
#include <charconv>
#include <string>

namespace zelvorin {

namespace {

bool parseFixed(std::string_view text, std::size_t pos, std::size_t len, int& out) {
    if (pos + len > text.size()) return false;
    auto begin = text.data() + pos;
    for (std::size_t i = 0; i < len; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(begin[i]))) return false;
    }
    return std::from_chars(begin, begin + len, out).ec == std::errc{};
}

// "HH:MM[:SS[.fff]]" followed by "Z", "+hh:mm", "-hh:mm" or nothing; returns seconds from midnight UTC.
std::optional<long long> parseTimeOfDay(std::string_view t) {
    int h = 0, m = 0, s = 0;
    if (!parseFixed(t, 0, 2, h) || t.size() < 5 || t[2] != ':' || !parseFixed(t, 3, 2, m))
        return std::nullopt;
    std::size_t pos = 5;
    if (pos < t.size() && t[pos] == ':') {
        if (!parseFixed(t, pos + 1, 2, s)) return std::nullopt;
        pos += 3;
        if (pos < t.size() && (t[pos] == '.' || t[pos] == ',')) {
            ++pos;
            while (pos < t.size() && std::isdigit(static_cast<unsigned char>(t[pos])))
                ++pos;
        }
    }
    if (h > 24 || m > 59 || s > 60) return std::nullopt;
    long long seconds = h * 3600LL + m * 60LL + s;
    std::string_view zone = t.substr(pos);
    if (zone.empty() || zone == "Z" || zone == "z") return seconds;
    int oh = 0, om = 0;
    if ((zone[0] != '+' && zone[0] != '-') || !parseFixed(zone, 1, 2, oh)) return std::nullopt;
    std::size_t minutesAt = zone.size() > 3 && zone[3] == ':' ? 4 : 3;
    if (zone.size() != minutesAt + 2 || !parseFixed(zone, minutesAt, 2, om)) return std::nullopt;
    long long offset = oh * 3600LL + om * 60LL;
    return zone[0] == '+' ? seconds - offset : seconds + offset;
}

}  // namespace

std::optional<std::chrono::sys_seconds> parseIsoDateTime(std::string_view iso) {
    int y = 0, mo = 0, d = 0;
    if (!parseFixed(iso, 0, 4, y) || iso.size() < 10 || iso[4] != '-' || iso[7] != '-' ||
        !parseFixed(iso, 5, 2, mo) || !parseFixed(iso, 8, 2, d)) {
        return std::nullopt;
    }
    std::chrono::year_month_day ymd{std::chrono::year{y}, std::chrono::month{static_cast<unsigned>(mo)},
                                    std::chrono::day{static_cast<unsigned>(d)}};
    if (!ymd.ok()) return std::nullopt;
    long long secondsOfDay = 0;
    if (iso.size() > 10) {
        if (iso[10] != 'T' && iso[10] != 't' && iso[10] != ' ') return std::nullopt;
        auto time = parseTimeOfDay(iso.substr(11));
        if (!time) return std::nullopt;
        secondsOfDay = *time;
    }
    return std::chrono::sys_seconds{std::chrono::sys_days{ymd}.time_since_epoch()} +
           std::chrono::seconds{secondsOfDay};
}

}  // namespace zelvorin
