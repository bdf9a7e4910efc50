#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "domain/AmountOverflowError.h"
#include "domain/BtwCalc.h"
#include "domain/InvoiceTotals.h"
#include "domain/LineTotals.h"
#include "domain/Rounding.h"

namespace zelvorin {
namespace {

CalcLine timed(std::int64_t quantity, std::int64_t price,
               std::optional<VatTreatment> override = std::nullopt) {
    return CalcLine{LineMode::hoursRate, quantity, price, std::nullopt, override};
}

TEST(RoundingTest, HalvesGoTowardsPositiveInfinity) {
    const std::vector<std::pair<double, std::int64_t>> cases{{12.5, 13},     {-12.5, -12}, {-2677.5, -2677},
                                                             {2677.5, 2678}, {0.49, 0},    {-0.5, 0},
                                                             {-0.51, -1},    {0.0, 0}};
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(roundHalfUp(value), expected) << value;
    EXPECT_THROW(roundHalfUp(std::numeric_limits<double>::quiet_NaN()), AmountOverflowError);
    EXPECT_THROW(roundHalfUp(1e19), AmountOverflowError);
}

TEST(VatTreatmentTest, RawValuesRoundTripAndRatesFollowTheCase) {
    const std::vector<std::tuple<VatTreatment, std::string_view, int>> cases{
        {VatTreatment::nl21, "nl_21", 21},
        {VatTreatment::nl9, "nl_9", 9},
        {VatTreatment::nl0, "nl_0", 0},
        {VatTreatment::verlegd, "verlegd", 0}};
    ASSERT_EQ(kAllVatTreatments.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const auto& [treatment, raw, rate] = cases[i];
        EXPECT_EQ(kAllVatTreatments[i], treatment);
        EXPECT_EQ(rawValue(treatment), raw);
        EXPECT_EQ(parseVatTreatment(raw), treatment);
        EXPECT_EQ(vatRate(treatment), rate);
    }
    for (std::string_view bad : {"NL_21", "nl21", "", "nl_21 "})
        EXPECT_FALSE(parseVatTreatment(bad)) << bad;
    EXPECT_EQ(parseLineMode("qty_price"), LineMode::qtyPrice);
    EXPECT_FALSE(parseLineMode("Fixed"));
}

struct LineCase {
    const char* name;
    CalcLine line;
    VatTreatment invoice;
    LineTotals expected;
};

TEST(LineTotalsTest, RoundsPerLineHalfUp) {
    const std::vector<LineCase> cases{
        {"1.5 h at 85.00", timed(150, 8500), VatTreatment::nl21, {12750, 2678, 15428}},
        {"credit line", timed(-150, 8500), VatTreatment::nl21, {-12750, -2677, -15427}},
        {"0.01 at 49 cents", {LineMode::qtyPrice, 1, 49, {}, {}}, VatTreatment::nl21, {0, 0, 0}},
        {"0.33 at 1.00, 9%", {LineMode::qtyPrice, 33, 100, {}, {}}, VatTreatment::nl9, {33, 3, 36}},
        {"fixed without amount", {LineMode::fixed, 100, 100, {}, {}}, VatTreatment::nl21, {0, 0, 0}},
        {"fixed ignores quantity",
         {LineMode::fixed, 100, 100, 1000, {}},
         VatTreatment::nl21,
         {1000, 210, 1210}},
        {"absent quantity", {LineMode::hoursRate, {}, 8500, {}, {}}, VatTreatment::nl21, {0, 0, 0}},
        {"override wins", timed(100, 10000, VatTreatment::verlegd), VatTreatment::nl21, {10000, 0, 10000}},
        {"override to 9%", timed(100, 10000, VatTreatment::nl9), VatTreatment::nl0, {10000, 900, 10900}},
    };
    for (const LineCase& c : cases)
        EXPECT_EQ(lineTotals(c.line, c.invoice), c.expected) << c.name;
}

TEST(LineTotalsTest, GroupVatIsTheSumOfRoundedLineVat) {
    const std::vector<CalcLine> fiveTwoCentLines(5, CalcLine{LineMode::fixed, {}, {}, 2, {}});
    EXPECT_EQ(groupTotals(fiveTwoCentLines, VatTreatment::nl21),
              (VatGroups{{VatTreatment::nl21, VatGroupTotals{10, 0}}}));

    const std::vector<CalcLine> mixed{timed(150, 8500), timed(100, 5000, VatTreatment::verlegd),
                                      timed(200, 1000), timed(100, 999, VatTreatment::nl9)};
    const VatGroups groups = groupTotals(mixed, VatTreatment::nl21);
    EXPECT_EQ(groups, (VatGroups{{VatTreatment::nl21, {14750, 2678 + 420}},
                                 {VatTreatment::nl9, {999, 90}},
                                 {VatTreatment::verlegd, {5000, 0}}}));
    EXPECT_TRUE(groupTotals({}, VatTreatment::nl21).empty());
}

TEST(LineTotalsTest, OverflowIsReportedNotWrapped) {
    const CalcLine huge = timed(std::numeric_limits<std::int64_t>::max() / 2, 3);
    EXPECT_THROW(lineTotals(huge, VatTreatment::nl21), AmountOverflowError);
}

TEST(BtwCalcTest, VatOfInclusiveAmounts) {
    const std::vector<std::tuple<std::int64_t, int, std::int64_t>> cases{
        {12100, 21, 2100}, {1000, 9, 83}, {1000, 0, 0}, {-12100, 21, -2100}, {1, 21, 0}, {3, 21, 1}};
    for (const auto& [amount, rate, vat] : cases) {
        EXPECT_EQ(BtwCalc::vatOfInclusiveAmount(amount, rate), vat) << amount << " at " << rate;
    }
}

TEST(InvoiceTotalsTest, StoredTextsFallBackAndDeletedLinesDoNotCount) {
    std::vector<StoredInvoiceLine> lines{
        {"hours_rate", 150, 8500, {}, {}, false},
        {"per_minute", 100, 1000, {}, {}, false},  // unknown mode: computed as hours times rate
        {"fixed", {}, {}, 5000, "verlegd", false},
        {"fixed", {}, {}, 1000, "nl_99", false},  // unknown override: the invoice's treatment
        {"fixed", {}, {}, 99999, {}, true},
    };
    // Unknown invoice treatment counts as 21%.
    const InvoiceTotals totals = invoiceTotalsFromStored("btw_hoog", lines);
    EXPECT_EQ(totals, (InvoiceTotals{12750 + 1000 + 5000 + 1000, 2678 + 210 + 0 + 210,
                                     12750 + 1000 + 5000 + 1000 + 2678 + 210 + 210}));
    EXPECT_EQ(invoiceTotalsFromStored("nl_9", lines).vatCents, 1148 + 90 + 0 + 90);
    EXPECT_EQ(invoiceTotalsFromStored("nl_21", {}), (InvoiceTotals{0, 0, 0}));
}

}  // namespace
}  // namespace zelvorin
