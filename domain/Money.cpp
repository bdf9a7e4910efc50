#include "domain/Money.h"

#include "domain/DecimalText.h"

namespace zelvorin {

namespace {

// |value| without overflow for INT64_MIN.
std::uint64_t magnitude(std::int64_t value) {
    return value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
}

void appendGrouped(std::string& out, std::uint64_t whole) {
    std::string digits;
    detail::appendPadded(digits, whole, 1);
    const std::size_t lead = digits.size() % 3 == 0 ? 3 : digits.size() % 3;
    out.append(digits, 0, lead);
    for (std::size_t i = lead; i < digits.size(); i += 3) {
        out.push_back('.');
        out.append(digits, i, 3);
    }
}

}  // namespace

std::string formatEuroAmount(std::int64_t cents) {
    const std::uint64_t m = magnitude(cents);
    std::string out;
    if (cents < 0) out.push_back('-');
    appendGrouped(out, m / 100);
    out.push_back(',');
    detail::appendPadded(out, m % 100, 2);
    return out;
}

std::string formatEuro(std::int64_t cents) {
    return "\u20AC " + formatEuroAmount(cents);
}

std::string formatHundredths(std::int64_t hundredths) {
    const std::uint64_t m = magnitude(hundredths);
    std::string out;
    if (hundredths < 0) out.push_back('-');
    detail::appendPadded(out, m / 100, 1);
    const std::uint64_t fraction = m % 100;
    if (fraction == 0) return out;
    out.push_back(',');
    if (fraction % 10 == 0) {
        detail::appendPadded(out, fraction / 10, 1);
    } else {
        detail::appendPadded(out, fraction, 2);
    }
    return out;
}

}  // namespace zelvorin
