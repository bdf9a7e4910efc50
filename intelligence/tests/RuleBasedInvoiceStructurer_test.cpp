#include "intelligence/RuleBasedInvoiceStructurer.h"

#include <gtest/gtest.h>

#include <random>

#include "intelligence/FieldScore.h"

namespace zelvorin {
namespace {

ExtractedInvoiceData read(const std::string& text) {
    return RuleBasedInvoiceStructurer().structure(text);
}

// As recognition gives a Dutch invoice: columns joined by two spaces, a misread here and there.
constexpr const char* kDutchInvoice = R"(Brandwijk B.V.  FACTUUR
Keizersgracht 221
1016 DV Amsterdam
KVK: 48508491
BTW-nr: NL 6502.90.313.B26
Aan: De Vries Media
Marktplein 9
4811 XR Breda
BTW-nr klant: NL123456789B01
Klantnummer: 4471
Factuurnummer: 2024-256
Factuurdatum: 6 december 2024
Vervaldatum: 20-12-2024
Omschrijving Aantal Prijs  Bedrag
Installatie 2 x 239,25  478,50
Voorrijkosten 1 x 46,90  46,90
Subtotaal  € 525,40
BTW 21%  € 110,33
Totaal te betalen  € 635,73
Graag binnen 14 dagen overmaken op NL91ABNA0417164300.)";

constexpr const char* kEnglishReceipt = R"(Cafe Het Anker
Havenkade 3
1973 AA IJmuiden
KVK 30471979
VAT NL660782358B55
Receipt #: 198250
Date: 7 Aug 2026  14:32
2 x Soft drink  7.20
Bread  6.40
TOTAL  € 13.60
Card  13.60
VAT% Net VAT
9% 12.48 1.12
Thank you!)";

TEST(RuleBasedInvoiceStructurerTest, ReadsADutchInvoice) {
    const auto data = read(kDutchInvoice);
    EXPECT_TRUE(data.isInvoice);
    EXPECT_EQ(data.senderCompany, "Brandwijk B.V.");
    EXPECT_EQ(data.senderAddress, "Keizersgracht 221, 1016 DV Amsterdam");
    EXPECT_EQ(data.senderCountry, "NL");
    EXPECT_EQ(data.senderVatNumber, "NL650290313B26");
    EXPECT_EQ(data.senderKvkNumber, "48508491");
    EXPECT_EQ(data.totalAmountCents, 63573);
    EXPECT_EQ(data._totalSource, TotalAmountSource::extracted);
    EXPECT_EQ(data.currency, "EUR");
    EXPECT_EQ(data.invoiceDate, "06-12-2024");
    EXPECT_EQ(data.invoiceNumber, "2024-256");
    ASSERT_EQ(data.lines.size(), 2u);
    EXPECT_EQ(data.lines[0], (ExtractedInvoiceData::LineItem{"Installatie", 2.0, 239.25, 478.50}));
    EXPECT_EQ(data.lines[1], (ExtractedInvoiceData::LineItem{"Voorrijkosten", 1.0, 46.90, 46.90}));
    EXPECT_EQ(data.vatBreakdown, (std::vector<ExtractedInvoiceData::VatItem>{{21, 110.33}}));
    EXPECT_DOUBLE_EQ(scoreFields(data).fieldScore(), 1.0);
}

TEST(RuleBasedInvoiceStructurerTest, ReadsAnEnglishTillReceipt) {
    const auto data = read(kEnglishReceipt);
    EXPECT_EQ(data.senderCompany, "Cafe Het Anker");
    EXPECT_EQ(data.senderAddress, "Havenkade 3, 1973 AA IJmuiden");
    EXPECT_EQ(data.totalAmountCents, 1360);
    EXPECT_EQ(data.invoiceDate, "07-08-2026");
    EXPECT_EQ(data.invoiceNumber, "198250");
    ASSERT_EQ(data.lines.size(), 2u);
    EXPECT_EQ(data.lines[0].description, "Soft drink");
    EXPECT_EQ(data.lines[0].quantity, 2.0);
    EXPECT_EQ(data.lines[0].amount, 7.20);
    EXPECT_EQ(data.lines[1].quantity, std::nullopt);
    EXPECT_EQ(data.vatBreakdown, (std::vector<ExtractedInvoiceData::VatItem>{{9, 1.12}}));
}

TEST(RuleBasedInvoiceStructurerTest, TotalLabelsInDutchAndEnglish) {
    struct Case {
        const char* text;
        std::optional<std::int64_t> cents;
    };
    const Case cases[] = {
        {"Subtotaal 100,00\nBTW 21% 21,00\nTotaal 121,00", 12100},
        {"Totaal incl. btw: EUR 78,00", 7800},
        {"Total amount\n€ 1,250.00", 125000},
        {"Amount due: $ 99.95", 9995},
        {"Totaal 10,00\nTe betalen 8,00\nPIN 8,00", 800},  // the strongest label wins
        {"PIN 12,50\nWisselgeld 0,00", 1250},
        {"Subtotal 50.00\nTotal excl. VAT 50.00", std::nullopt},
        {"Totaal\n\nnog geen bedrag", std::nullopt},
        {"Te betalen: 0,00", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RuleBasedInvoiceStructurer::readTotal(c.text).totalAmount.has_value(), c.cents.has_value())
            << c.text;
        if (c.cents) {
            EXPECT_EQ(read(c.text).totalAmountCents, c.cents) << c.text;
        }
    }
}

TEST(RuleBasedInvoiceStructurerTest, VatLinesAndTables) {
    struct Case {
        const char* text;
        std::vector<ExtractedInvoiceData::VatItem> vat;
    };
    const Case cases[] = {
        {"BTW 21% € 21,00", {{21, 21.00}}},
        {"VAT 9%: 4.50", {{9, 4.50}}},
        {"Btw 21% over € 100,00  € 21,00", {{21, 21.00}}},
        {"Tarief Excl. Btw Incl.\nBTW 21%  100,00  21,00  121,00", {{21, 21.00}}},
        {"BTW% Over BTW\n9% 9,13 0,82\n21% 10,00 2,10\nTOTAAL 22,05", {{9, 0.82}, {21, 2.10}}},
        {"BTW verlegd", {{0, 0}}},
        {"VAT reverse charged 0%  € 0.00", {{0, 0}}},
        {"BTW-nr: NL123456789B01", {}},
        {"Korting 10% 5,00", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(read(c.text).vatBreakdown, c.vat) << c.text;
}

TEST(RuleBasedInvoiceStructurerTest, LabelsOfNumbersAndDates) {
    EXPECT_EQ(read("Invoice #: INV-2026/0042").invoiceNumber, "INV-2026/0042");
    EXPECT_EQ(read("Bonnummer\n0042-17").invoiceNumber, "0042-17");
    EXPECT_EQ(read("Klantnummer: 555\nFactuur-ID: F-9").invoiceNumber, "F-9");
    EXPECT_EQ(read("Klantnummer: 555").invoiceNumber, std::nullopt);
    EXPECT_EQ(read("Leverdatum 01-02-2026\nDatum: 03-02-2026").invoiceDate, "03-02-2026");
    EXPECT_EQ(read("Vervaldatum 01-02-2026\nFactuurdatum 02-01-2026").invoiceDate, "02-01-2026");
    EXPECT_EQ(read("Kamer van Koophandel 1234 5678").senderKvkNumber, "12345678");
    // A VAT number printed only beside the customer is not the sender's.
    EXPECT_EQ(read("Klant BTW: NL123456789B01").senderVatNumber, std::nullopt);
    EXPECT_EQ(read("Bedrag in USD\nTotal 10.00").currency, "USD");
}

// Receipts as recognition gave them from generated scans and photos, each with one figure misread.
TEST(RuleBasedInvoiceStructurerTest, AMisreadFigureIsOutvotedByTheOthers) {
    // Total and payment garbled; items and VAT table agree on 22,55.
    const auto garbled = read(R"(Brandwijk B.V.
Receipt #: 865583
Date: 2024-12-09 14:32
Toastie 5.60
Toastie 6.10
Croissant 3.25
2 x Apple pie 7.60
TOTAL €42,99
Card 22:95
VAT% Net VAT
9% 20.69 1.86
Thank you!)");
    EXPECT_EQ(garbled.totalAmountCents, 2255);
    EXPECT_EQ(garbled._totalSource, TotalAmountSource::extracted);
    EXPECT_DOUBLE_EQ(scoreFields(garbled).values[FieldScores::totalAgreement], 1.0);

    // A 0 read as a 6 in the total; the payment says 51,30 and so do the items. The VAT row lost
    // its rate, which its amounts give back.
    const auto sixForNought = read(R"(Pelikaan Speelhal
3 x Croissant 10.05
3 x Apple pie 15.30
3 x Soft drink 10.50
3 x Bread 8.55
2 x Bread 6.90
TOTAL € 51.36
Card 51.30
VAT% Net VAT
% 47.06 4.24)");
    EXPECT_EQ(sixForNought.totalAmountCents, 5130);
    EXPECT_EQ(sixForNought.vatBreakdown, (std::vector<ExtractedInvoiceData::VatItem>{{9, 4.24}}));

    // A 5 read as a 9 in the VAT, and a VAT amount that lost its comma.
    EXPECT_EQ(read("1 x Tosti 43,20\nTOTAAL € 43,20\nPIN 43,20\nBTW% Over BTW\n9% 39,63 3,97").vatBreakdown,
              (std::vector<ExtractedInvoiceData::VatItem>{{9, 3.57}}));
    EXPECT_EQ(read("Koffie 27,45\nTOTAAL € 27,45\nPIN 27,45\nBTW% Over BTW\n9% 25,18 227").vatBreakdown,
              (std::vector<ExtractedInvoiceData::VatItem>{{9, 2.27}}));

    // Letters for digits in the total itself.
    const auto letters =
        read("Advieswerk 1 x 84,71  84,71\nSubtotaal € 84,71\nBTW 21% € 17,79\nTotaal € 1O2,5O");
    EXPECT_EQ(letters.totalAmountCents, 10250);
}

TEST(RuleBasedInvoiceStructurerTest, AFigureNothingConfirmsIsStillReported) {
    // Only the total is printed: nothing contradicts it, nothing can replace it.
    EXPECT_EQ(read("Bakkerij de Korenbloem\nTOTAAL € 4,80").totalAmountCents, 480);
    // The items disagree with the only total: the label is kept and the agreement score says so.
    const auto disagreeing = read("Koffie 3,50\nTosti 6,00\nTotaal 12,50");
    EXPECT_EQ(disagreeing.totalAmountCents, 1250);
    EXPECT_DOUBLE_EQ(scoreFields(disagreeing).values[FieldScores::totalAgreement], 0.0);
}

TEST(RuleBasedInvoiceStructurerTest, LegalFormsOfTheSenderInCapitals) {
    EXPECT_EQ(read("Brandwijk B.v.\nTotaal 10,00").senderCompany, "Brandwijk B.V.");
    EXPECT_EQ(read("Drukkerij Vonk v.0.F.\nTotaal 10,00").senderCompany, "Drukkerij Vonk V.O.F.");
    EXPECT_EQ(read("Studio Noord n.v\nTotaal 10,00").senderCompany, "Studio Noord N.V");
    EXPECT_EQ(read("Northwind Supplies Ltd\nTotaal 10,00").senderCompany, "Northwind Supplies Ltd");
    EXPECT_EQ(read("Bv Vonk\nTotaal 10,00").senderCompany, "Bv Vonk");
}

TEST(RuleBasedInvoiceStructurerTest, NonInvoicesAndEmptyText) {
    const auto policy = read("Verzekeringspolis\nPolisnummer 123\nUw dekking");
    EXPECT_FALSE(policy.isInvoice);
    const auto empty = read("");
    EXPECT_FALSE(empty.isInvoice);
    EXPECT_FALSE(empty.senderCompany);
    EXPECT_FALSE(empty.totalAmountCents);
    EXPECT_EQ(empty.currency, "EUR");
    EXPECT_TRUE(empty.lines.empty());
}

TEST(RuleBasedInvoiceStructurerTest, TotalOnArbitraryAndHugeInput) {
    std::mt19937 rng(7);
    const std::string alphabet = "0123456789.,-/: %€xX\nTotaalBTWbtw21%9 Factuur maart 2026 EUR NLB";
    for (int round = 0; round < 200; ++round) {
        std::string text;
        const int length = static_cast<int>(rng() % 400);
        for (int i = 0; i < length; ++i) {
            text += rng() % 5 == 0 ? static_cast<char>(rng() % 256) : alphabet[rng() % alphabet.size()];
        }
        EXPECT_NO_THROW(read(text));
    }
    // Long single lines and many lines: each scanner must stay linear.
    std::string longLine;
    while (longLine.size() < 200'000)
        longLine += "1,2.3,4-5/6 a1 maart NL1234 21% ";
    EXPECT_NO_THROW(read(longLine));
    std::string manyLines;
    while (manyLines.size() < 200'000)
        manyLines += "Totaal 12,50\nBTW 21% 2,17\n2 x Koffie 5,00\n";
    const auto data = read(manyLines);
    EXPECT_EQ(data.totalAmountCents, 1250);
    EXPECT_LE(data.lines.size(), 50u);
    EXPECT_LE(data.vatBreakdown.size(), 5u);
    EXPECT_NO_THROW(read(std::string(200'000, '9')));
    // Found by fuzzing: a stray Latin-1 byte in the sender's name made the reading unwritable
    // as JSON.
    const auto latin1 = read(
        "FACTUUR\nStudio Noor\xE4"
        "erlicht B.V.\nTotaal 12,10");
    ASSERT_TRUE(latin1.senderCompany);
    EXPECT_EQ(*latin1.senderCompany,
              "Studio Noor\xEF\xBF\xBD"
              "erlicht B.V.");
    EXPECT_NO_THROW(toJson(latin1).dump());
    EXPECT_NO_THROW(read(std::string(200'000, '\n')));
}

}  // namespace
}  // namespace zelvorin
