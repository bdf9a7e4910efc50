#include "intelligence/AmountReconciliation.h"

#include <gtest/gtest.h>

namespace zelvorin::reconciling {
namespace {

// A till receipt: items 22,55 in all, VAT 9 % included.
AmountEvidence tillReceipt(std::vector<LabelledTotal> totals, std::vector<std::int64_t> vatRow,
                           std::int64_t vat) {
    AmountEvidence e;
    e.totals = std::move(totals);
    e.lineSum = 2255;
    e.vatRows = {{9.0, std::move(vatRow), vat}};
    return e;
}

TEST(AmountReconciliationTest, TheTotalMostFiguresAgreeOnWins) {
    // Read as printed: label, payment, items and VAT table agree.
    EXPECT_EQ(chooseTotal(tillReceipt({{2255, 2}, {2255, 1}}, {2069, 186}, 186)), 2255);
    // The label garbled and the payment line lost ("€42,99", "22:95"): items and VAT table agree.
    EXPECT_EQ(chooseTotal(tillReceipt({{4299, 2}}, {2069, 186}, 186)), 2255);
    // An invoice whose VAT was misread (140,33 for 110,33): the rate over the subtotal still
    // confirms the labelled total.
    AmountEvidence invoice;
    invoice.totals = {{63573, 3}};
    invoice.subtotal = 52540;
    invoice.lineSum = 52540;
    invoice.vatRows = {{21.0, {14033}, 14033}};
    EXPECT_EQ(chooseTotal(invoice), 63573);
}

TEST(AmountReconciliationTest, WithoutAgreementTheStrongestFirstLabelStays) {
    AmountEvidence e;
    e.totals = {{1000, 2}, {800, 3}, {900, 3}};
    EXPECT_EQ(chooseTotal(e), 800);
    // One figure alone is no total: the merge derives it from the lines, and says so.
    AmountEvidence linesOnly;
    linesOnly.lineSum = 1550;
    EXPECT_EQ(chooseTotal(linesOnly), std::nullopt);
    EXPECT_EQ(chooseTotal({}), std::nullopt);
    // Amounts of nothing or less are never a total.
    AmountEvidence zero;
    zero.totals = {{0, 3}, {-500, 2}};
    EXPECT_EQ(chooseTotal(zero), std::nullopt);
}

TEST(AmountReconciliationTest, AVatAmountThatFitsNothingIsReplacedByOneThatFitsTwo) {
    // "9% 39,63 3,97" on a receipt of 43,20: 3,57 is both 9 % of 39,63 and 43,20 − 39,63.
    AmountEvidence e;
    e.lineSum = 4320;
    e.vatRows = {{9.0, {3963, 397}, 397}};
    EXPECT_EQ(checkedVat(e, 4320), (std::vector<std::int64_t>{357}));
    // An invoice line "BTW 21% € 140,33" under a subtotal of 525,40 and a total of 635,73.
    AmountEvidence invoice;
    invoice.subtotal = 52540;
    invoice.vatRows = {{21.0, {14033}, 14033}};
    EXPECT_EQ(checkedVat(invoice, 63573), (std::vector<std::int64_t>{11033}));
    // "9% 36, 10 3,23" on a receipt whose items make its 39,35: the net lost, a 5 read as a 3; the
    // VAT a gross of 39,35 holds at 9 % is 3,25.
    AmountEvidence receipt;
    receipt.lineSum = 3935;
    receipt.vatRows = {{9.0, {323}, 323}};
    EXPECT_EQ(checkedVat(receipt, 3935), (std::vector<std::int64_t>{325}));
}

// "C 7,00% 1738 Zl 18,54": of the row only its gross came through, and more VAT than a total of
// 24,23 can hold at 7 % is no VAT.
TEST(AmountReconciliationTest, AGrossReadAsTheVatGivesTheVatItHolds) {
    AmountEvidence e;
    e.vatRows = {{7.0, {1854}, 1854}, {19.0, {478, 91, 569}, 91}};
    EXPECT_EQ(checkedVat(e, 2423), (std::vector<std::int64_t>{121, 91}));
}

TEST(AmountReconciliationTest, AVatAmountThatFitsIsKept) {
    AmountEvidence e;
    e.lineSum = 2255;
    e.vatRows = {{9.0, {2069, 186}, 186}};
    EXPECT_EQ(checkedVat(e, 2255), (std::vector<std::int64_t>{186}));
    // Without a total nothing can be checked against it: the reading stays.
    e.vatRows = {{9.0, {2069, 199}, 199}};
    EXPECT_EQ(checkedVat(e, std::nullopt), (std::vector<std::int64_t>{199}));
    // Reverse charge and rows without a rate are left alone; so are two rates, whose VAT cannot be
    // checked against one total.
    e.vatRows = {{0.0, {}, 0}, {std::nullopt, {500}, 500}};
    EXPECT_EQ(checkedVat(e, 2255), (std::vector<std::int64_t>{0, 500}));
}

TEST(AmountReconciliationTest, ARateLostInRecognitionFollowsFromTheAmounts) {
    EXPECT_EQ(impliedRate({4706, 424}), 9.0);     // "% 47.06 4.24"
    EXPECT_EQ(impliedRate({10000, 2100}), 21.0);  // "% 100,00 21,00"
    EXPECT_EQ(impliedRate({440, 40}), 9.0);       // rounded to the cent: 39,6 cents
    EXPECT_EQ(impliedRate({10000, 700}), 7.0);    // German reduced rate
    EXPECT_EQ(impliedRate({10000, 800}), std::nullopt);
    EXPECT_EQ(impliedRate({2100}), std::nullopt);
}

}  // namespace
}  // namespace zelvorin::reconciling
