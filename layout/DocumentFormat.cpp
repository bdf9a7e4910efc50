#include "layout/DocumentFormat.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace zelvorin {

namespace {

struct Separators {
    char decimal;
    char group;
};

Separators separatorsFor(bool dutch) {
    return dutch ? Separators{',', '.'} : Separators{'.', ','};
}

std::string groupDigits(std::uint64_t whole, char group) {
    std::string digits = std::to_string(whole);
    std::string out;
    out.reserve(digits.size() + digits.size() / 3);
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += group;
        out += digits[i];
    }
    return out;
}

std::uint64_t magnitude(std::int64_t value) {
    return value < 0 ? static_cast<std::uint64_t>(-(value + 1)) + 1 : static_cast<std::uint64_t>(value);
}

std::string twoDigits(unsigned value) {
    char buffer[3] = {static_cast<char>('0' + value / 10 % 10), static_cast<char>('0' + value % 10), 0};
    return buffer;
}

std::string currencySymbol(std::string_view code) {
    if (code == "EUR") return "€";
    if (code == "USD") return "$";
    if (code == "GBP") return "£";
    return std::string(code);
}

bool isCurrencyCode(std::string_view code) {
    return code.size() == 3 &&
           std::all_of(code.begin(), code.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
}

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

bool isDutchLocale(std::string_view locale) {
    return locale.size() >= 2 && std::tolower(static_cast<unsigned char>(locale[0])) == 'n' &&
           std::tolower(static_cast<unsigned char>(locale[1])) == 'l';
}

bool DocumentFormat::isDutch() const {
    return isDutchLocale(locale);
}

std::string DocumentFormat::money(std::int64_t cents) const {
    return money(cents, currency);
}

std::string DocumentFormat::money(std::int64_t cents, std::string_view code) const {
    if (!isCurrencyCode(code)) {
        // No currency to format with: the code and a plain amount, as the fallback of old.
        char amount[64];
        std::snprintf(amount, sizeof amount, "%.2f", static_cast<double>(cents) / 100.0);
        return std::string(code) + " " + amount;
    }
    bool dutch = isDutch();
    Separators sep = separatorsFor(dutch);
    std::uint64_t abs = magnitude(cents);
    std::string number = groupDigits(abs / 100, sep.group) + sep.decimal + twoDigits(abs % 100);
    std::string symbol = currencySymbol(code);
    bool isSign = symbol != code;
    if (dutch) return symbol + " " + (cents < 0 ? "-" : "") + number;
    std::string prefix = isSign ? symbol : symbol + " ";
    return (cents < 0 ? "-" : "") + prefix + number;
}

std::string DocumentFormat::quantity(std::optional<std::int64_t> hundredths) const {
    if (!hundredths || *hundredths == 0) return {};
    Separators sep = separatorsFor(isDutch());
    std::uint64_t abs = magnitude(*hundredths);
    std::string text = (*hundredths < 0 ? "-" : "") + groupDigits(abs / 100, sep.group);
    unsigned fraction = static_cast<unsigned>(abs % 100);
    if (fraction != 0) {
        text += sep.decimal;
        text += static_cast<char>('0' + fraction / 10);
        if (fraction % 10 != 0) text += static_cast<char>('0' + fraction % 10);
    }
    return text;
}

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

std::string DocumentFormat::date(std::string_view iso) const {
    if (iso.empty()) return {};
    auto parsed = parseIsoDateTime(iso);
    if (!parsed) return std::string(iso);
    std::chrono::year_month_day ymd{std::chrono::floor<std::chrono::days>(*parsed)};
    std::string dd = twoDigits(static_cast<unsigned>(ymd.day()));
    std::string mm = twoDigits(static_cast<unsigned>(ymd.month()));
    int yearValue = static_cast<int>(ymd.year());
    char yyyy[16];
    std::snprintf(yyyy, sizeof yyyy, "%04d", yearValue);
    std::string style = dateFormat.value_or("");
    if (style == "en-us") return mm + "/" + dd + "/" + yyyy;
    if (style == "en-gb") return dd + "/" + mm + "/" + yyyy;
    if (style == "iso") return std::string(yyyy) + "-" + mm + "-" + dd;
    return dd + "-" + mm + "-" + yyyy;
}

std::optional<long long> paymentTermDays(std::string_view issueDate, std::string_view dueDate) {
    auto issue = parseIsoDateTime(issueDate);
    auto due = parseIsoDateTime(dueDate);
    if (!issue || !due) return std::nullopt;
    double days = static_cast<double>((*due - *issue).count()) / 86400.0;
    return std::max(0LL, static_cast<long long>(std::llround(days)));
}

std::optional<long long> daysOverdue(std::string_view dueDate, std::chrono::sys_days today) {
    auto due = parseIsoDateTime(dueDate);
    if (!due) return std::nullopt;
    auto seconds = (std::chrono::sys_seconds{today.time_since_epoch()} - *due).count();
    if (seconds <= 0) return 0;
    return seconds / 86400;
}

std::int64_t collectionCostsCents(std::int64_t outstandingCents) {
    if (outstandingCents < 1) return 0;
    double a = static_cast<double>(outstandingCents) / 100.0;
    double cost;
    if (a <= 2500) {
        cost = std::max(0.15 * a, 40.0);
    } else if (a <= 5000) {
        cost = 375 + 0.10 * (a - 2500);
    } else if (a <= 10000) {
        cost = 625 + 0.05 * (a - 5000);
    } else if (a <= 200000) {
        cost = 875 + 0.01 * (a - 10000);
    } else {
        cost = 2775 + 0.005 * (a - 200000);
    }
    cost = std::min(cost, 6775.0);
    return static_cast<std::int64_t>(std::round(cost * 100.0));
}

}  // namespace zelvorin
