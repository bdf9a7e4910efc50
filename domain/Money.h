#pragma once

#include <compare>
#include <concepts>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zelvorin {

// An integer amount in a fixed unit. Constructing one from a floating-point value does not
// compile: a fraction has to be rounded on purpose (roundHalfUp) before it becomes money.
template <class Unit>
class FixedAmount {
public:
    constexpr FixedAmount() = default;
    constexpr explicit FixedAmount(std::int64_t value) : value_(value) {}
    template <std::floating_point F>
    FixedAmount(F) = delete;

    constexpr std::int64_t value() const { return value_; }

    constexpr FixedAmount operator+(FixedAmount other) const { return FixedAmount(value_ + other.value_); }
    constexpr FixedAmount operator-(FixedAmount other) const { return FixedAmount(value_ - other.value_); }
    constexpr FixedAmount operator-() const { return FixedAmount(-value_); }
    constexpr FixedAmount& operator+=(FixedAmount other) {
        value_ += other.value_;
        return *this;
    }
    constexpr FixedAmount& operator-=(FixedAmount other) {
        value_ -= other.value_;
        return *this;
    }
    constexpr auto operator<=>(const FixedAmount&) const = default;

private:
    std::int64_t value_ = 0;
};

struct CentsUnit {};
struct HundredthsUnit {};
using Cents = FixedAmount<CentsUnit>;            // euro cents
using Hundredths = FixedAmount<HundredthsUnit>;  // quantities and hours: 150 = 1.5

// Dutch notation, independent of any process locale: "€ 1.234,56", "€ -1.234,56".
std::string formatEuro(std::int64_t cents);
// The same without the currency sign: "1.234,56", "-0,05".
std::string formatEuroAmount(std::int64_t cents);

// What a Dutch user types as an amount: "85", "85,5", "1.234,56", "€ 85,00", "-12,50", "85,00 €",
// with surrounding white space. ',' is the decimal comma and '.' groups thousands, except that a
// lone '.' followed by one or two digits is a decimal point ("1234.56"). More than two decimals,
// bad grouping, a second separator or a value beyond the int64 range give nothing. Total: never
// throws, linear in the input.
std::optional<std::int64_t> parseAmountCents(std::string_view typed);

// Quantities and hours in the same notation, without the currency sign: "1,5" -> 150.
std::optional<std::int64_t> parseHundredths(std::string_view typed);
// "1,5", "1,25", "2", "-0,5": trailing fraction zeros dropped, no thousands grouping.
std::string formatHundredths(std::int64_t hundredths);

}  // namespace zelvorin
