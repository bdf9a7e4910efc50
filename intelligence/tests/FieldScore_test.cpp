#include "intelligence/FieldScore.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "intelligence/GenerableInvoice.h"

namespace zelvorin {
namespace {

ExtractedInvoiceData withTotal(std::int64_t cents, std::vector<double> lineAmounts,
                               std::vector<ExtractedInvoiceData::VatItem> vat = {}) {
    ExtractedInvoiceData data;
    data.totalAmountCents = cents;
    for (double amount : lineAmounts)
        data.lines.push_back({"regel", std::nullopt, std::nullopt, amount});
    data.vatBreakdown = std::move(vat);
    return data;
}

TEST(FieldScoreTest, InvoiceDateMustBeDayMonthYearOfTenCharacters) {
    struct Case {
        const char* text;
        bool valid;
    };
    const Case cases[] = {
        {"01-05-2024", true},  {"31-02-2024", true},  {"2024-05-01", false}, {"1-5-2024", false},
        {"00-05-2024", false}, {"01-13-2024", false}, {"01-05-1999", false}, {"01-05-2100", false},
        {"01/05/2024", false}, {"01--5-2024", true},  {"1-1-1-2024", false}, {"+1-05-2024", true},
        {"ab-05-2024", false}, {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isValidInvoiceDate(c.text), c.valid) << c.text;
}

TEST(FieldScoreTest, CurrencyIsCheckedUpperCased) {
    EXPECT_TRUE(isAcceptedCurrency("EUR"));
    EXPECT_TRUE(isAcceptedCurrency("usd"));
    EXPECT_TRUE(isAcceptedCurrency("ZAR"));
    EXPECT_FALSE(isAcceptedCurrency("XYZ"));
    EXPECT_FALSE(isAcceptedCurrency("€"));
    EXPECT_FALSE(isAcceptedCurrency(" EUR"));
}

TEST(FieldScoreTest, SenderAndDocumentKind) {
    ExtractedInvoiceData data;
    data.senderCompany = " \t ";
    EXPECT_EQ(scoreFields(data)[FieldScores::sender], 0);
    EXPECT_EQ(scoreFields(data)[FieldScores::documentKind], 0.3);
    data.senderCompany = "\tBrandwijk B.V.";
    data.isInvoice = true;
    EXPECT_EQ(scoreFields(data)[FieldScores::sender], 1);
    EXPECT_EQ(scoreFields(data)[FieldScores::documentKind], 1);
}

TEST(FieldScoreTest, TotalAgreementAgainstLinesAndVat) {
    // 1% of 1000.00 is 10.00: a line sum of 991.00 is within it, 989.99 is not.
    EXPECT_EQ(scoreFields(withTotal(100000, {991.00}))[FieldScores::totalAgreement], 1.0);
    EXPECT_EQ(scoreFields(withTotal(100000, {989.99}))[FieldScores::totalAgreement], 0.0);
    // Small totals get a full euro of slack, and a difference equal to it still passes.
    EXPECT_EQ(scoreFields(withTotal(1000, {9.00}))[FieldScores::totalAgreement], 1.0);
    EXPECT_EQ(scoreFields(withTotal(1000, {8.99}))[FieldScores::totalAgreement], 0.0);
    // Net lines plus VAT make the gross total.
    EXPECT_EQ(scoreFields(withTotal(12100, {100.00}, {{21, 21.00}}))[FieldScores::totalAgreement], 1.0);
    EXPECT_EQ(scoreFields(withTotal(15000, {100.00}, {{21, 21.00}}))[FieldScores::totalAgreement], 0.0);
    EXPECT_EQ(scoreFields(withTotal(12100, {}, {{21, 21.00}}))[FieldScores::totalAgreement], 1.0);
    EXPECT_EQ(scoreFields(withTotal(12100, {}))[FieldScores::totalAgreement], 0.6);
    // Lines summing to nothing cannot confirm the total.
    EXPECT_EQ(scoreFields(withTotal(500, {0.0}))[FieldScores::totalAgreement], 0.0);
    EXPECT_EQ(scoreFields(withTotal(0, {}))[FieldScores::totalAgreement], 0.0);
}

TEST(FieldScoreTest, VatAgreementChecksEachRateAgainstAllLines) {
    EXPECT_EQ(scoreFields(withTotal(12100, {100.00}))[FieldScores::vatAgreement], 0.8);
    EXPECT_EQ(scoreFields(withTotal(12100, {100.00}, {{21, 21.00}}))[FieldScores::vatAgreement], 1.0);
    // Allowed difference is 5% of 21.00 = 1.05.
    EXPECT_EQ(scoreFields(withTotal(12100, {100.00}, {{21, 22.04}}))[FieldScores::vatAgreement], 1.0);
    EXPECT_EQ(scoreFields(withTotal(12500, {100.00}, {{21, 25.00}}))[FieldScores::vatAgreement], 0.7);
    EXPECT_EQ(scoreFields(withTotal(10600, {100.00}, {{6, 6.00}}))[FieldScores::vatAgreement], 0.4);
    // An unexpected rate outweighs a mismatch found earlier.
    EXPECT_EQ(scoreFields(withTotal(1, {100.00}, {{21, 50.0}, {19, 19.0}}))[FieldScores::vatAgreement], 0.4);
    // Zero rates and breakdowns without lines are not checked.
    EXPECT_EQ(scoreFields(withTotal(100, {100.00}, {{0, 7.00}}))[FieldScores::vatAgreement], 1.0);
    EXPECT_EQ(scoreFields(withTotal(100, {}, {{21, 99.00}}))[FieldScores::vatAgreement], 1.0);
    // Small VAT amounts get at least ten cents.
    EXPECT_EQ(scoreFields(withTotal(109, {1.00}, {{9, 0.19}}))[FieldScores::vatAgreement], 1.0);
    EXPECT_EQ(scoreFields(withTotal(109, {1.00}, {{9, 0.20}}))[FieldScores::vatAgreement], 0.7);
}

TEST(FieldScoreTest, NonInvoiceWithEverythingElsePerfect) {
    ExtractedInvoiceData data = withTotal(12100, {100.00}, {{21, 21.00}});
    data.senderCompany = "Veldlijn Reizigers";
    data.invoiceDate = "12-03-2026";
    data.isInvoice = false;
    EXPECT_NEAR(scoreFields(data).fieldScore(), 6.3 / 7, 1e-12);
}

TEST(MergeAnswersTest, TotalPrecedenceAndRounding) {
    GenerableInvoiceBase base;
    base.totalAmount = 50.0;
    GenerableInvoiceLines lines;
    lines.lines = {{"a", std::nullopt, std::nullopt, 10.00}, {"b", 2.0, 2.75, 5.50}};

    auto merged = mergeAnswers(base, lines, GenerableInvoiceTotal{78.125});
    EXPECT_EQ(merged.totalAmountCents, 7813);
    EXPECT_EQ(merged._totalSource, TotalAmountSource::extracted);
    EXPECT_EQ(mergeAnswers(base, lines, GenerableInvoiceTotal{78.00}).totalAmountCents, 7800);
    EXPECT_EQ(mergeAnswers(base, lines, GenerableInvoiceTotal{-0.005}).totalAmountCents, -1);

    // The total answer failing or giving nothing falls back to the base answer.
    EXPECT_EQ(mergeAnswers(base, lines, std::nullopt).totalAmountCents, 5000);
    EXPECT_EQ(mergeAnswers(base, lines, GenerableInvoiceTotal{}).totalAmountCents, 5000);
    EXPECT_EQ(mergeAnswers(base, lines, GenerableInvoiceTotal{std::numeric_limits<double>::infinity()})
                  .totalAmountCents,
              5000);

    base.totalAmount = std::nullopt;
    merged = mergeAnswers(base, lines, std::nullopt);
    EXPECT_EQ(merged.totalAmountCents, 1550);
    EXPECT_EQ(merged._totalSource, TotalAmountSource::derivedFromLines);
    EXPECT_EQ(scoreFields(merged)[FieldScores::totalAgreement], 0.6);

    merged = mergeAnswers(base, {}, std::nullopt);
    EXPECT_FALSE(merged.totalAmountCents);
    EXPECT_EQ(merged._totalSource, TotalAmountSource::extracted);
    EXPECT_EQ(scoreFields(merged)[FieldScores::totalPresent], 0);
    EXPECT_EQ(scoreFields(merged)[FieldScores::totalAgreement], 0);
}

TEST(MergeAnswersTest, CentsThatDoNotFitAreAbsent) {
    EXPECT_FALSE(eurosToCents(1e17));
    EXPECT_FALSE(eurosToCents(std::nan("")));
    EXPECT_EQ(eurosToCents(-2.5), -250);
    EXPECT_EQ(eurosToCents(0.015), 2);
}

TEST(MergeAnswersTest, CurrencyAndFieldsCopiedAsGiven) {
    GenerableInvoiceBase base;
    base.isInvoice = true;
    base.senderCompany = "  Brandwijk B.V. ";
    base.invoiceDate = "2024-05-01";
    GenerableInvoiceLines lines;
    lines.lines = {{"x", std::nullopt, std::nan(""), std::nan("")}, {"y", 1.0, 3.0, 3.0}};
    lines.vatBreakdown = {{21, 0.63}, {9, std::nan("")}};

    auto merged = mergeAnswers(base, lines, std::nullopt);
    EXPECT_EQ(merged.currency, "EUR");
    EXPECT_EQ(merged.senderCompany, "  Brandwijk B.V. ");
    EXPECT_EQ(merged.invoiceDate, "2024-05-01");
    ASSERT_EQ(merged.lines.size(), 1u);
    EXPECT_EQ(merged.lines[0].description, "y");
    EXPECT_EQ(merged.vatBreakdown, (std::vector<ExtractedInvoiceData::VatItem>{{21, 0.63}}));

    base.currency = "usd";
    merged = mergeAnswers(base, lines, std::nullopt);
    EXPECT_EQ(merged.currency, "usd");
    EXPECT_EQ(scoreFields(merged)[FieldScores::currency], 1.0);
}

}  // namespace
}  // namespace zelvorin
