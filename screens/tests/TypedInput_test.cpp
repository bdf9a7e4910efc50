#include "screens/TypedInput.h"

#include <gtest/gtest.h>

#include "screens/InputError.h"
#include "screens/ListFilters.h"

namespace zelvorin {
namespace {

// The Dutch text of the refusal, or "" when the value was taken.
template <class Parse>
std::string refusal(Parse&& parse) {
    try {
        parse();
    } catch (const InputError& error) {
        EXPECT_EQ(error.kind(), InputError::Kind::invalidValue);
        return error.what();
    }
    return "";
}

TEST(TypedInputTest, TypedValuesParseTheWayADutchPersonWritesThem) {
    EXPECT_EQ(typedAmountCents("85,00", "price"), 8500);
    EXPECT_EQ(typedAmountCents("1.234,5", "price"), 123450);
    EXPECT_EQ(typedHundredths("1,5", "qty"), 150);
    EXPECT_EQ(typedDate("2026-02-28", "issueDate"), "2026-02-28");
    EXPECT_TRUE(typedYesNo("ja", "archived"));
    EXPECT_FALSE(typedYesNo("nee", "archived"));
    EXPECT_EQ(typedWholeNumber("-3", "sort"), -3);
    EXPECT_EQ(optionalDate("", "dueDate"), std::nullopt);
    EXPECT_EQ(optionalAmountCents("", "rate"), std::nullopt);
    EXPECT_EQ(typedVatTreatment("verlegd", "vat"), "verlegd");
}

TEST(TypedInputTest, RefusalsNameTheFieldAndShowAnExample) {
    EXPECT_EQ(refusal([] { typedAmountCents("abc", "--price"); }),
              "Ongeldige waarde voor --price: 'abc' (bijvoorbeeld 85,00).");
    // A date must be the whole calendar date, not a day that does not exist or another order.
    for (const char* date : {"2026-02-30", "31-12-2026", "2026-3-1", "2026-03-01T00:00"})
        EXPECT_NE(refusal([&] { typedDate(date, "issueDate"); }), "") << date;
    for (const char* number : {"", "12a", "1,5", " 3"})
        EXPECT_NE(refusal([&] { typedWholeNumber(number, "sort"); }), "") << number;
    EXPECT_NE(refusal([] { typedYesNo("misschien", "archived"); }).find("ja of nee"), std::string::npos);
    EXPECT_NE(refusal([] { typedLineMode("per_kilo", "mode"); }).find("hours_rate"), std::string::npos);
    EXPECT_NE(refusal([] { optionalDate("gisteren", "dueDate"); }), "");
}

TEST(TypedInputTest, ListFiltersAreChosenByNameAndRefusalsListTheChoices) {
    EXPECT_EQ(typedInvoiceSegment("concept", "--segment"), InvoiceSegment::concept_);
    EXPECT_EQ(typedInvoiceSegment("achterstallig", "--segment"), InvoiceSegment::achterstallig);
    EXPECT_EQ(typedInboxStatus("gearchiveerd", "--status"), KvitraRepository::InboxFilter::gearchiveerd);
    EXPECT_EQ(typedInboxCategory("prive", "--category"), KvitraRepository::CategoryFilter::prive);
    EXPECT_EQ(
        refusal([] { typedInvoiceSegment("open", "--segment"); }),
        "Onbekende waarde voor --segment: 'open' (alle, concept, verzonden, betaald of achterstallig).");
    EXPECT_NE(refusal([] { typedInboxCategory("werk", "--category"); }), "");
    EXPECT_EQ(bankPage(3, "--page").offset(), 2 * kBankPageSize);
    EXPECT_NE(refusal([] { bankPage(0, "--page"); }), "");
}

}  // namespace
}  // namespace zelvorin
