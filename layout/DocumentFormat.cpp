#include "layout/DocumentFormat.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "domain/IsoDateTime.h"

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

}  // namespace zelvorin
