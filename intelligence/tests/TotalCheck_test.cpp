#include "intelligence/TotalCheck.h"

#include <gtest/gtest.h>

#include "intelligence/RuleBasedInvoiceStructurer.h"

namespace zelvorin {
namespace {

struct Checked {
    ExtractedInvoiceData data;
    TotalCheck check;
};

// Reads the text with the rules and checks their total against it, as the pipeline does.
Checked check(const std::string& text, std::vector<double> lineConfidences = {}) {
    OCRResult ocr;
    ocr.text = text;
    ocr.confidence = 0.9;
    ocr.lineConfidences = std::move(lineConfidences);
    Checked checked{RuleBasedInvoiceStructurer().structure(text), {}};
    checked.check = checkTotal(ocr, checked.data);
    return checked;
}

// A German till receipt as recognition gives it: total, card payment and VAT table agree.
constexpr const char* kTillReceipt = R"(Warburger Strasse 130
33100 Paderborn
Bulgur-Krauter 0,89 A
Premium Vodka 4,99 B
zu zahlen 5,88
Kreditkarte 5,88
MWST% MWST + Netto = Brutto
A 7 % 0,06 0,83 0,89
B 19 % 0,80 4,19 4,99
Summe 0,86 5,02 5,88)";

TEST(TotalCheckTest, FiguresThatAgreeOnTheTotalKeepItsWholeConfidence) {
    const auto [data, c] = check(kTillReceipt);
    EXPECT_EQ(data.totalAmountCents, 588);
    EXPECT_TRUE(c.labelled);
    EXPECT_TRUE(c.paid);
    EXPECT_TRUE(c.itemsAgree);
    EXPECT_TRUE(c.vatAgrees);
    EXPECT_FALSE(c.contested);
    EXPECT_EQ(c.trust(), 1.0);
}

TEST(TotalCheckTest, CashHandedOverIsNoTotalButCashLessChangeIs) {
    const auto [data, c] = check("Kaffee 2,50\nZU ZAHLEN EURO 24,23\nBARGELD 40,00\nZURUCK 15,77");
    EXPECT_EQ(data.totalAmountCents, 2423);
    EXPECT_TRUE(c.labelled);
    EXPECT_TRUE(c.paid) << "40,00 less 15,77 paid the 24,23";

    // Without a label, the cash paid and the items agree; the 20,00 handed over is no total.
    const auto cash = check("Bakkerij\nBrood 3,10\nContant 20,00\nWisselgeld -16,90");
    EXPECT_EQ(cash.data.totalAmountCents, 310);
    EXPECT_TRUE(cash.check.paid);
    EXPECT_TRUE(cash.check.itemsAgree);

    // Nothing agrees: the largest figure is all there is, and it is not trusted.
    const auto largest = check("Brood 3,10\nKoffie 2,40\nContant 20,00\nEUR 8,50");
    EXPECT_EQ(largest.data.totalAmountCents, 850);
    EXPECT_EQ(largest.check.support(), 0);
    EXPECT_LT(largest.check.trust(), check(kTillReceipt).check.trust());
}

// A misread figure that happens to fit another misread one ("SUMME 19,16" over items of which one
// lost the same 0,30) is still contested by the card payment of 19,46; and the VAT printed is not
// made over to fit the misread total, which would then seem to vouch for it.
// Recognition runs the total and the cash beside it into one row; the cash is no total, and the
// label does not vouch for it.
TEST(TotalCheckTest, TheCashBesideATotalOnOneRowIsNotTheTotal) {
    const auto [data, c] = check(
        "Brot 2,50\nKaffee 42,30\nSUMME 44,80  GEGEBEN BAR 50,00\nR\xC3\x9C"
        "CKGELD 5,20");
    EXPECT_EQ(data.totalAmountCents, 4480);
    EXPECT_TRUE(c.labelled);
    EXPECT_TRUE(c.paid);

    OCRResult ocr;
    ocr.text = "SUMME 44,80  GEGEBEN BAR 50,00";
    ExtractedInvoiceData cash;
    cash.totalAmountCents = 5000;
    EXPECT_FALSE(checkTotal(ocr, cash).labelled);
}

TEST(TotalCheckTest, APaymentOfAnotherAmountContestsTheTotal) {
    const auto [data, c] = check(
        "SEBAMED TROCKENE H 8,99 V\nINDISCHES CHICKEN 3,99 E\nWALNUESSE 3,19 E\nMANDARINEN 2,99 E\n"
        "SUMME EUR 19,16\nMasterCard EUR 19,46\nMehrwertst. ohne MwSt mit MwSt\nV 19,0% 1,44 155 8,99");
    EXPECT_EQ(data.totalAmountCents, 1916);
    EXPECT_EQ(data.vatBreakdown, (std::vector<ExtractedInvoiceData::VatItem>{{19, 1.44}}));
    EXPECT_TRUE(c.contested);
    EXPECT_FALSE(c.vatAgrees);
    EXPECT_LT(c.trust(), check(kTillReceipt).check.trust());

    // The VAT settles it: "Mastercard 25,81" is the misread one.
    const auto settled = check(
        "SUMME EUR 28,81\nMastercard EUR 25,81\nMwSt NETTO MwSt UMSATZ\nB 7% 9,49 0,66 10,15\n"
        "C 19% 15,68 2,98 18,66");
    EXPECT_EQ(settled.data.totalAmountCents, 2881);
    EXPECT_TRUE(settled.check.contested);
    EXPECT_TRUE(settled.check.vatAgrees);
    EXPECT_EQ(settled.check.trust(), 1.0);
}

// A photographed till receipt whose 5 came out as a 6 in the total and in the cash below it alike;
// the VAT row still prints 0,36 of VAT, which is 7 % of 5,47 and not of 6,47.
TEST(TotalCheckTest, AVatRowThatPrintsTheTotalWithAnotherVatContestsIt) {
    const auto misread = check("SUMME EUR 6,47\nBar EUR 6,47\nE 7,0% 0,36 6,01 6,47");
    EXPECT_EQ(misread.data.totalAmountCents, 647);
    EXPECT_TRUE(misread.check.labelled);
    EXPECT_TRUE(misread.check.paid);
    EXPECT_TRUE(misread.check.contested);
    EXPECT_LT(misread.check.trust(), check(kTillReceipt).check.trust());

    const auto right = check("SUMME EUR 5,47\nBar EUR 5,47\nE 7,0% 0,36 5,11 5,47");
    EXPECT_FALSE(right.check.contested);
    EXPECT_EQ(right.check.trust(), 1.0);
}

// Recognition ran the total and the cash handed over into one row and lost the cash's figure: the
// total made of cash less change then misses the item by a cent and is printed nowhere.
TEST(TotalCheckTest, ATotalWorkedOutFromCashIsNoTotalTheTextBearsOut) {
    OCRResult ocr;
    ocr.text = "1,000 STK 49.99 19\nIME EUR 49.99  GEGEBEN BAR 50. 00\nRUCKGELD EUR 0.01";
    ExtractedInvoiceData data;
    data.totalAmountCents = 4998;  // 49,99 taken for the cash, less the change
    data.lines.push_back({"STK", 1, 49.99, 49.99});
    const auto c = checkTotal(ocr, data);
    EXPECT_FALSE(c.printed);
    EXPECT_TRUE(c.paid);
    EXPECT_TRUE(c.itemsAgree) << "within the cent that rounding of the items allows";
    EXPECT_LT(c.trust(), check("Bakkerij de Korenbloem\nTOTAAL EUR 4,80", {0.95, 0.96}).check.trust());
}

TEST(TotalCheckTest, ALabelAloneIsTrustedAsFarAsRecognitionWasSureOfIt) {
    const std::string text = "Bakkerij de Korenbloem\nTOTAAL EUR 4,80";
    const auto sure = check(text, {0.95, 0.96}).check;
    const auto doubtful = check(text, {0.95, 0.40}).check;
    EXPECT_TRUE(sure.labelled);
    EXPECT_EQ(sure.support(), 1);
    EXPECT_DOUBLE_EQ(doubtful.lineConfidence, 0.40);
    EXPECT_LT(doubtful.trust(), sure.trust());
    EXPECT_LT(sure.trust(), 1.0);
}

TEST(TotalCheckTest, ATotalMissingOrNotInTheTextIsNotTrusted) {
    OCRResult ocr;
    ocr.text = "Totaal 12,50";
    ExtractedInvoiceData data;
    EXPECT_FALSE(checkTotal(ocr, data).present);
    data.totalAmountCents = 9999;
    const auto unprinted = checkTotal(ocr, data);
    EXPECT_TRUE(unprinted.present);
    EXPECT_FALSE(unprinted.printed);
    EXPECT_LT(unprinted.trust(), check(kTillReceipt).check.trust());
}

}  // namespace
}  // namespace zelvorin
