#include "intelligence/TextScanning.h"

#include <gtest/gtest.h>

namespace zelvorin::scanning {
namespace {

std::vector<std::int64_t> centsIn(std::string_view line) {
    std::vector<std::int64_t> cents;
    for (const auto& token : findAmounts(line))
        cents.push_back(token.cents);
    return cents;
}

TEST(TextScanningTest, DatesInTheUsualDutchAndEnglishForms) {
    struct Case {
        const char* line;
        const char* expected;  // nullptr: no date
    };
    const Case cases[] = {
        {"Factuurdatum: 12-03-2026", "12-03-2026"},
        {"Datum 12/03/2026 14:32", "12-03-2026"},
        {"12.03.2026", "12-03-2026"},
        {"Datum: 5-3-26", "05-03-2026"},
        {"Invoice date: 2026-03-12", "12-03-2026"},
        {"12 maart 2026", "12-03-2026"},
        {"Factuurdatum: 1 mei 2025", "01-05-2025"},
        {"12 Mar 2026", "12-03-2026"},
        {"12 mrt. 2026", "12-03-2026"},
        {"Date: March 12, 2026", "12-03-2026"},
        {"Sept 3rd, 2025", "03-09-2025"},
        {"September 3, 2025", "03-09-2025"},
        {"3rd September 2025", "03-09-2025"},
        {"03/25/2026", "25-03-2026"},  // only month-first makes sense
        {"29-02-2024", "29-02-2024"},
        {"29-02-2025", nullptr},
        {"31-04-2026", nullptr},
        {"12-03-1999", nullptr},
        {"Tel 020-1234567", nullptr},
        {"14:32", nullptr},
        {"NL123456789B01", nullptr},
        {"123-45-2026", nullptr},
        {"maart 2026", nullptr},
        // German and French, as folded lines have them, and a till's spaced dots.
        {"datum 04. 04. 2020 13:45", "04-04-2020"},
        {"rechnungsdatum: 3. marz 2024", "03-03-2024"},
        {"date: 1er mars 2024", "01-03-2024"},
        {"le 14 juillet 2025", "14-07-2025"},
        {"15. dezember 2024", "15-12-2024"},
        // A till's date whose dots faded counts only with its time beside it: other runs of
        // two-digit groups are article, terminal and phone numbers.
        {"23 03 20 15:32 8665107 0145", "23-03-2020"},
        {"23 03 20 8665107 0145", nullptr},
        {"tel 05 25 19 73 98", nullptr},
    };
    for (const auto& c : cases) {
        const auto date = findDate(c.line);
        if (c.expected) {
            EXPECT_EQ(date, std::optional<std::string>(c.expected)) << c.line;
        } else {
            EXPECT_FALSE(date) << c.line << " gave " << date.value_or("");
        }
    }
}

TEST(TextScanningTest, AmountsWithDecimalCommaOrPointAndCurrencyMarks) {
    struct Case {
        const char* line;
        std::vector<std::int64_t> cents;
    };
    const Case cases[] = {
        {"Totaal € 1.234,56", {123456}},
        {"Total due $1,234.56", {123456}},
        {"12,50", {1250}},
        {"EUR 78", {7800}},
        {"78 EUR", {7800}},
        {"Koffie 12,-", {1200}},
        {"Korting -3,00", {-300}},
        {"Statiegeld 0,25-", {-25}},
        {"€ -4,10", {-410}},
        {"2 x 3,50 7,00", {350, 700}},
        {"BTW 21% 21,00", {2100}},
        {"21,00%", {}},
        {"Datum 12.03.2026", {}},
        {"12-03-26", {}},
        {"Tijd 14:32", {}},
        {"Bon 1234", {}},
        {"NL91ABNA0417164300", {}},
        {"1.234.567,89", {123456789}},
        {"1,234,567.89", {123456789}},
        {"1.23,45", {}},
        {"12.345", {}},
        {"€12.345", {1234500}},
        {"99999999999999999999,00", {}},
        {"Total TTC 1\xE2\x80\xAF"
         "020,00 \xE2\x82\xAC",
         {102000}},  // narrow no-break space
        {"1\xC2\xA0"
         "234\xC2\xA0"
         "567,89",
         {123456789}},            // no-break spaces
        {"SUMME EUR 2/,42", {}},  // a figure cut by a slash
    };
    for (const auto& c : cases)
        EXPECT_EQ(centsIn(c.line), c.cents) << c.line;
}

TEST(TextScanningTest, LettersForDigitsAreRepairedInAmountsOnly) {
    EXPECT_EQ(repairedDigits("Totaal \xE2\x82\xAC 1O2,5O"), "Totaal \xE2\x82\xAC 102,50");
    EXPECT_EQ(repairedDigits("PIN l2.5O"), "PIN 12.50");
    EXPECT_EQ(repairedDigits("Koffie S,95"), "Koffie 5,95");
    EXPECT_EQ(repairedDigits("1.2O4,OO"), "1.204,00");
    // Words, identifiers and numbers without cents are left as printed.
    for (const char* line : {"TOTAAL 4,80", "Bon: 718421", "Drukkerij Vonk V.O.F.", "SOLO,OO", "OO,OO",
                             "Datum 2O24", "NL123456789B01", "Tel. O2O-1234567", "lO,5"}) {
        EXPECT_EQ(repairedDigits(line), line);
    }
}

TEST(TextScanningTest, RatesNeedAPercentSign) {
    const auto rates = findRates("21% over 100,00 en 9 % over 50,00, 5,5% elders, 150%");
    ASSERT_EQ(rates.size(), 3u);
    EXPECT_EQ(rates[0].rate, 21);
    EXPECT_EQ(rates[1].rate, 9);
    EXPECT_DOUBLE_EQ(rates[2].rate, 5.5);
    EXPECT_TRUE(findRates("BTW 21").empty());
}

TEST(TextScanningTest, IllFormedUtf8BecomesReplacementCharacters) {
    const std::string fffd = "\xEF\xBF\xBD";
    EXPECT_EQ(validUtf8("Caf\xC3\xA9 \xE2\x82\xAC 5 \xF0\x9F\x98\x80"),
              "Caf\xC3\xA9 \xE2\x82\xAC 5 \xF0\x9F\x98\x80");
    EXPECT_EQ(validUtf8("a\xE9"
                        "b"),
              "a" + fffd + "b");                                          // Latin-1
    EXPECT_EQ(validUtf8("\xC0\xAF"), fffd + fffd);                        // overlong "/"
    EXPECT_EQ(validUtf8("\xED\xA0\x80"), fffd + fffd + fffd);             // a surrogate
    EXPECT_EQ(validUtf8("\xF4\x90\x80\x80"), fffd + fffd + fffd + fffd);  // beyond U+10FFFF
    EXPECT_EQ(validUtf8("x\xE2\x82"), "x" + fffd + fffd);                 // cut off at the end
}

}  // namespace
}  // namespace zelvorin::scanning
