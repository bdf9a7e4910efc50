#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "domain/Money.h"

namespace zelvorin {
namespace {

static_assert(!std::is_constructible_v<Cents, double>, "a fraction must be rounded before it becomes money");
static_assert(!std::is_constructible_v<Hundredths, float>);
static_assert(!std::is_convertible_v<std::int64_t, Cents>, "cents are constructed explicitly");
static_assert(!std::is_constructible_v<Cents, Hundredths>, "quantities are not money");
static_assert(Cents(150) + Cents(50) == Cents(200));

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();

TEST(MoneyFormatTest, DutchNotation) {
    // clang-format off
    const std::vector<std::pair<std::int64_t, std::string>> cases{
        {123456, "1.234,56"}, {0, "0,00"}, {5, "0,05"}, {-5, "-0,05"}, {100000, "1.000,00"}, {99999, "999,99"},
        {-123456789, "-1.234.567,89"}, {kMax, "92.233.720.368.547.758,07"}, {kMin, "-92.233.720.368.547.758,08"}};
    // clang-format on
    for (const auto& [cents, text] : cases)
        EXPECT_EQ(formatEuroAmount(cents), text) << cents;
    EXPECT_EQ(formatEuro(123456), "\u20AC 1.234,56");
    EXPECT_EQ(formatEuro(-123456), "\u20AC -1.234,56");

    const std::vector<std::pair<std::int64_t, std::string>> quantities{
        {150, "1,5"}, {125, "1,25"}, {200, "2"}, {5, "0,05"}, {-50, "-0,5"}, {123456, "1234,56"}, {0, "0"}};
    for (const auto& [hundredths, text] : quantities)
        EXPECT_EQ(formatHundredths(hundredths), text);
}

TEST(AmountParsingTest, AcceptsWhatDutchUsersType) {
    // clang-format off
    const std::vector<std::pair<std::string_view, std::int64_t>> cases{
        {"85", 8500}, {"85,5", 8550}, {"85,50", 8550}, {"1.234,56", 123456}, {"1234,56", 123456},
        {"1234.56", 123456}, {"85.5", 8550}, {"1.234.567", 123456700},
        {"1.234", 123400},  // a dot before three digits groups thousands
        {"\u20AC 85,00", 8500}, {"\u20AC85", 8500}, {"85,00 \u20AC", 8500}, {"-\u20AC 12,50", -1250},
        {"\u20AC -1.234,56", -123456},  // what formatEuro writes
        {"-12,50", -1250}, {"  7,5\t", 750}, {"\u00A012,00\u00A0", 1200}, {",5", 50}, {"0,01", 1}, {"-0", 0},
        {"00085", 8500}, {"92233720368547758,07", kMax}};
    // clang-format on
    for (const auto& [typed, cents] : cases)
        EXPECT_EQ(parseAmountCents(typed), cents) << typed;
    for (const auto& [typed, cents] : cases) {
        if (typed.find("\u20AC") == std::string_view::npos) {
            EXPECT_EQ(parseHundredths(typed), cents) << typed;
        }
    }
}

TEST(AmountParsingTest, RejectsEverythingElse) {
    // clang-format off
    for (std::string_view typed : {"", "   ", "abc", "1,2,3", "1.23.4,5", "1,234", "85,", "1.2345", "12.34.56",
                                   "1234.567,00", "1.234.56", ".", ",", "-", "\u20AC", "--5", "+5", "5-", "1 234,56",
                                   "\u20AC 5 \u20AC", "\u20AC\u20AC5", "5e3", "0x10", "12,5a", "\xE2\x82", "5\xC2",
                                   "92233720368547758,08", "99999999999999999999999999"}) {
        // clang-format on
        EXPECT_FALSE(parseAmountCents(typed)) << typed;
    }
    EXPECT_FALSE(parseHundredths("\u20AC 1,5"));
    EXPECT_EQ(parseHundredths("1,5"), 150);
}

TEST(AmountParsingTest, FormattedAmountsParseBack) {
    for (std::int64_t cents : {std::int64_t{0}, std::int64_t{1}, std::int64_t{-99}, std::int64_t{123456789},
                               std::int64_t{-100000}, kMax}) {
        EXPECT_EQ(parseAmountCents(formatEuro(cents)), cents);
        EXPECT_EQ(parseHundredths(formatHundredths(cents)), cents);
    }
}

}  // namespace
}  // namespace zelvorin
