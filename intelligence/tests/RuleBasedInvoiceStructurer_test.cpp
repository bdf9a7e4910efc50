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

// A German supplier's invoice as a PDF's text layer gives it: the address block of the customer
// (a Dutch company, without a label) at the top, the sender in the return line and at the foot.
constexpr const char* kGermanInvoice = R"(Muster Software GmbH · Hauptstraße 5 · 10115 Berlin
Brandwijk B.V.                                Rechnung
Keizersgracht 221                             Rechnungsnummer: RE-2024-0117
1016 DV Amsterdam                             Rechnungsdatum: 12.03.2024
Niederlande                                   Kundennummer: 10023
Pos. Bezeichnung              Menge  Einzelpreis      Gesamt
1    Softwarelizenz Pro       1      1.200,00 €   1.200,00 €
2    Support (Stunden)        4         95,00 €     380,00 €
Nettobetrag                                      1.580,00 €
Umsatzsteuer 19 %                                  300,20 €
Rechnungsbetrag                                  1.880,20 €
Zahlbar bis 26.03.2024 ohne Abzug.
Muster Software GmbH · Geschäftsführer: Max Muster · Amtsgericht Berlin HRB 12345
USt-IdNr.: DE123456789 · IBAN DE89 3704 0044 0532 0130 00)";

// A French one: thousands after a narrow no-break space, a space before each colon.
constexpr const char* kFrenchInvoice =
    "SARL Atelier Lumi\xC3\xA8re\n12 rue de la Paix\n75002 Paris\nFACTURE N\xC2\xB0 F-2024-031\n"
    "Date : 5 f\xC3\xA9vrier 2024\nClient : Brandwijk B.V.\nKeizersgracht 221, 1016 DV Amsterdam\n"
    "D\xC3\xA9signation    Qt\xC3\xA9   Prix unitaire   Montant\n"
    "Conception graphique   1   850,00 \xE2\x82\xAC   850,00 \xE2\x82\xAC\n"
    "Total HT   850,00 \xE2\x82\xAC\nTVA 20 %   170,00 \xE2\x82\xAC\n"
    "Total TTC   1\xE2\x80\xAF"
    "020,00 \xE2\x82\xAC\nNet \xC3\xA0 payer   1\xE2\x80\xAF"
    "020,00 \xE2\x82\xAC\n"
    "N\xC2\xB0 TVA intracommunautaire : FR40303265045";

TEST(RuleBasedInvoiceStructurerTest, ReadsGermanAndFrenchSupplierInvoices) {
    auto expected = [](const char* sender, const char* vatNumber, std::int64_t total, const char* date,
                       const char* number, ExtractedInvoiceData::VatItem vat) {
        ExtractedInvoiceData data;
        data.senderCompany = sender;
        data.senderVatNumber = vatNumber;
        data.totalAmountCents = total;
        data.invoiceDate = date;
        data.invoiceNumber = number;
        data.vatBreakdown = {vat};
        return data;
    };
    const std::pair<const char*, ExtractedInvoiceData> cases[] = {
        {kGermanInvoice,
         expected("Muster Software GmbH", "DE123456789", 188020, "12-03-2024", "RE-2024-0117", {19, 300.20})},
        {kFrenchInvoice, expected("SARL Atelier Lumi\xC3\xA8re", "FR40303265045", 102000, "05-02-2024",
                                  "F-2024-031", {20, 170.00})},
    };
    for (const auto& [text, want] : cases) {
        const auto data = read(text);
        EXPECT_EQ(data.senderCompany, want.senderCompany);
        EXPECT_EQ(data.senderVatNumber, want.senderVatNumber);
        EXPECT_EQ(data.senderCountry, want.senderVatNumber->substr(0, 2));
        EXPECT_EQ(data.totalAmountCents, want.totalAmountCents);
        EXPECT_EQ(data.invoiceDate, want.invoiceDate);
        EXPECT_EQ(data.invoiceNumber, want.invoiceNumber);
        EXPECT_EQ(data.vatBreakdown, want.vatBreakdown);
    }
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

// Till receipts and invoices from across the border: German, French and Dutch labels, and the cash
// handed over and the change, which are never the total.
TEST(RuleBasedInvoiceStructurerTest, TotalLabelsAcrossTheBorderAndCashThatIsNoTotal) {
    const std::pair<const char*, std::int64_t> cases[] = {
        {"SUMME EUR 28,81\nMastercard EUR 28,81", 2881},
        {"zu zahlen 15,69\nKreditkarte 15,69", 1569},
        {"SUMME [3] EUR 152,00\nGEGEBEN ec-Karte EUR 152,00", 15200},
        {"Gesamtbetrag 99,90 EUR", 9990},
        {"Zwischensumme 10,00\nRabatt -1,00\nSumme 9,00", 900},
        {"Total HT 38,00\nTVA 20% 7,60\nTotal TTC 45,60 \xE2\x82\xAC", 4560},
        {"Net \xC3\xA0 payer : 120,00 \xE2\x82\xAC", 12000},
        {"Koffie 2,50\nZU ZAHLEN EURO 24,23\nBARGELD 40,00\nZUR\xC3\x9C"
         "CK 15,77",
         2423},
        {"Totaal 12,50\nContant 20,00\nWisselgeld 7,50", 1250},
        {"Gegeben BAR 50,00\nR\xC3\xBC"
         "ckgeld 2,30\nKarotten 1,20",
         4770},  // only cash less change
    };
    for (const auto& [text, cents] : cases)
        EXPECT_EQ(read(text).totalAmountCents, cents) << text;
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
        // Till tables name their rates by a letter, with net, VAT and gross in any order.
        {"MWST% MWST + Netto = Brutto\nA 7 % 0,62 8,89 9,51\nB 19 % 0,99 5,19 6,18\nSumme 1,61 14,08 15,69",
         {{7, 0.62}, {19, 0.99}}},
        {"MWST Netto MWST-BETRAG BRUTTO\nC 7,00% 17,33 1,21 18,54\nD 19,00% 4,78 0,91 5,69",
         {{7, 1.21}, {19, 0.91}}},
        {"MwSt NETTO MwSt UMSATZ\nB 7,00 23,45 1,64 25,09", {{7, 1.64}}},     // the percent sign lost
        {"MWST% MWST + Netto = Brutto\nB 19% TVT 9,22 10,97", {{19, 1.75}}},  // the VAT itself lost
        {"Typ Netto Must Brutto\n19 % 16,72 3,18 19,90", {{19, 3.18}}},       // the header garbled
        {"USt-IdNr.: DE 813 129 242", {}},
        // Goods at 0 % print no row: the total holds more than the one row's gross.
        {"MILK 1.45\nBREAD 2.10\nWINE 8.00\nBALANCE DUE 11.55\nVAT RATE VAT NET\nA 20% 1.33 6.67",
         {{20, 1.33}}},
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
    EXPECT_EQ(read("Date: 03/12/2026\nTOTAL $10.00").invoiceDate, "12-03-2026");  // dollars: month first
    EXPECT_EQ(read("Date: 03/12/2026\nTOTAL \xE2\x82\xAC 10,00").invoiceDate, "03-12-2026");
    EXPECT_EQ(read("Rechnungsnummer: RE-2024-117\nRechnungsdatum: 3. M\xC3\xA4rz 2024").invoiceDate,
              "03-03-2024");
    EXPECT_EQ(read("Rechnungsnummer: RE-2024-117").invoiceNumber, "RE-2024-117");
    EXPECT_EQ(read("Facture n\xC2\xB0 F-2024-09\nDate : 1er mars 2024").invoiceDate, "01-03-2024");
    EXPECT_EQ(read("Lieferdatum 01.02.2024\nDatum 04. 04. 2020 13:43").invoiceDate, "04-04-2020");
    EXPECT_EQ(read("USt-IdNr.: DE 813 129 242").senderVatNumber, "DE813129242");
    EXPECT_EQ(read("TVA intracommunautaire : FR 40 303265045").senderVatNumber, "FR40303265045");
    EXPECT_EQ(read("BTW BE 0123.456.789").senderVatNumber, "BE0123456789");
    EXPECT_EQ(read("IBAN DE89 3704 0044 0532 0130 00").senderVatNumber, std::nullopt);
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
    EXPECT_EQ(read("Studio Noord n.v\nTotaal 10,00").senderCompany, "Studio Noord N.V.");
    EXPECT_EQ(read("Northwind Supplies Ltd\nTotaal 10,00").senderCompany, "Northwind Supplies Ltd");
    EXPECT_EQ(read("Bv Vonk\nTotaal 10,00").senderCompany, "Bv Vonk");
}

// Receipts whose name is a logo that recognition cannot read: the company in a legal-form line at
// the foot, a heading with spaced letters, the web address, the line above the street.
TEST(RuleBasedInvoiceStructurerTest, ASenderWhenTheNameIsOnlyALogo) {
    const std::pair<const char*, const char*> cases[] = {
        {"Pohlweg 110\n33100 Paderborn\nBIO HONIG 3,29 C\nZU ZAHLEN 3,29\nAldi GmbH & Co. KG, Schlo\xC3\x9F "
         "Holte",
         "Aldi GmbH & Co. KG"},
        {"A L D I\nPohlweg 110\n33100 Paderborn\nZU ZAHLEN 3,29", "ALDI"},
        {"Senefelder Stra\xC3\x9F"
         "e 2\n33100 Paderborn\nQuittung\nSumme 59,96\nBesuchen Sie uns\nwww. roller .de",
         "Roller"},
        {"WUNSCHLOS GL\xC3\x9C"
         "CKLICH?\nMarktkauf Lehr\nDetmolder Str. 4\n33102 Paderborn\n"
         "www.marktkauf-lehr.de\nSUMME EUR 28,81",
         "Marktkauf Lehr"},
        {"EUR\nWarburger StraBe 130\n33100 Paderborn\nzu zahlen 5,88", nullptr},
        // The owner's name printed above the address, the shop's above it.
        {"Bakkerij De Korenbloem\nJ. de Vries\nDorpsstraat 5\n3732 HB De Bilt\nTOTAAL 8,05",
         "Bakkerij De Korenbloem"},
        // A blurred photo: the name lost, an article line come through as noise that ends in
        // letters spelling a legal form.
        {"Artikel 50261429 102.2. SARL\nSumme 134,39\nwww.ikea.de", "Ikea"},
    };
    for (const auto& [text, sender] : cases) {
        const auto data = read(text);
        if (sender) {
            EXPECT_EQ(data.senderCompany, sender) << text;
        } else {
            EXPECT_FALSE(data.senderCompany) << text << " gave " << data.senderCompany.value_or("");
        }
    }
}

TEST(RuleBasedInvoiceStructurerTest, NeitherTheCustomersBlockNorALabelIsTheSender) {
    const auto data = read(R"(FACTUUR
Factuuradres:
De Vries Media B.V.
Marktplein 9
4811 XR Breda
BTW-nr: NL123456789B01
Brandwijk
Keizersgracht 221
1016 DV Amsterdam
BTW NL650290313B26
Totaal 121,00)");
    EXPECT_EQ(data.senderCompany, "Brandwijk");
    EXPECT_EQ(data.senderAddress, "Keizersgracht 221, 1016 DV Amsterdam");
    EXPECT_EQ(data.senderVatNumber, "NL650290313B26");

    // Customer and sender side by side in the columns of a PDF's text layer; the sender is the
    // company at the foot beside its registration.
    const auto columns = read(
        "De Vries Media B.V.      Brandwijk B.V.\nMarktplein 9      Keizersgracht 221\n"
        "4811 XR Breda      1016 DV Amsterdam\nFactuur\nTotaal 121,00\n"
        "Brandwijk B.V. | KvK 48508491 | BTW NL650290313B26");
    EXPECT_EQ(columns.senderCompany, "Brandwijk B.V.");
    EXPECT_EQ(columns.senderKvkNumber, "48508491");

    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"INVOICE\nBill to:\nNorthwind Ltd\n1 High Street\nLondon\nConsulting 10.00\nTotal due 10.00\n"
         "Acme Supplies Ltd, 12 Dock Road, Leeds",
         "Acme Supplies Ltd"},
        {"Rechnung\nLieferanschrift:\nMuster GmbH\nHauptstr. 1\n12345 Berlin\nSumme 5,00", std::nullopt},
        {"ORIGINEEL\nFactuurgegevens\nKlantgegevens:\nJansen Consultancy\nMarktplein 9\n4811 XR Breda\n"
         "Brandwijk\nKeizersgracht 221\n1016 DV Amsterdam\nTotaal 10,00",
         "Brandwijk"},
    };
    for (const auto& [text, sender] : cases)
        EXPECT_EQ(read(text).senderCompany, sender) << text;
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
