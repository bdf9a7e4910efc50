#include <gtest/gtest.h>

#include "layout/DocumentFormat.h"
#include "layout/TemplateVariables.h"

namespace zelvorin {
namespace {

using std::chrono::sys_days;
using std::chrono::year;

TEST(DocumentFormatTest, LanguageFollowsTheLocalePrefix) {
    EXPECT_TRUE(isDutchLocale("nl-NL"));
    EXPECT_TRUE(isDutchLocale("NL-nl"));
    EXPECT_TRUE(isDutchLocale("nl_BE"));
    EXPECT_FALSE(isDutchLocale("en-NL"));
    EXPECT_FALSE(isDutchLocale("n"));
}

TEST(DocumentFormatTest, MoneyInTheDocumentLocale) {
    DocumentFormat nl{"nl-NL", "EUR", {}};
    EXPECT_EQ(nl.money(123456), "€ 1.234,56");
    EXPECT_EQ(nl.money(-5), "€ -0,05");
    EXPECT_EQ(nl.money(100000000), "€ 1.000.000,00");
    DocumentFormat en{"en-GB", "EUR", {}};
    EXPECT_EQ(en.money(123456), "€1,234.56");
    EXPECT_EQ(en.money(-123456), "-€1,234.56");
    EXPECT_EQ(en.money(990, "CHF"), "CHF 9.90");
    // Without a usable currency code the amount falls back to the plain form.
    EXPECT_EQ(nl.money(123456, "euro"), "euro 1234.56");
    EXPECT_EQ(nl.money(INT64_MIN).substr(0, 5), "€ -");
}

TEST(DocumentFormatTest, QuantitiesDropZeroFractions) {
    DocumentFormat nl{"nl-NL", "EUR", {}};
    EXPECT_EQ(nl.quantity(150), "1,5");
    EXPECT_EQ(nl.quantity(125), "1,25");
    EXPECT_EQ(nl.quantity(200), "2");
    EXPECT_EQ(nl.quantity(123456), "1.234,56");
    EXPECT_EQ(nl.quantity(-75), "-0,75");
    EXPECT_EQ(nl.quantity(0), "");
    EXPECT_EQ(nl.quantity(std::nullopt), "");
    EXPECT_EQ((DocumentFormat{"en-US", "USD", {}}.quantity(150)), "1.5");
}

TEST(DocumentFormatTest, DatesByDateFormat) {
    auto date = [](std::optional<std::string> style, std::string_view iso) {
        return DocumentFormat{"nl-NL", "EUR", style}.date(iso);
    };
    EXPECT_EQ(date("en-us", "2024-03-01"), "03/01/2024");
    EXPECT_EQ(date("en-gb", "2024-03-01"), "01/03/2024");
    EXPECT_EQ(date("iso", "2024-03-01T10:00:00Z"), "2024-03-01");
    EXPECT_EQ(date(std::nullopt, "2024-03-01"), "01-03-2024");
    // The calendar day is taken in UTC.
    EXPECT_EQ(date(std::nullopt, "2024-03-01T01:30:00+02:00"), "29-02-2024");
    EXPECT_EQ(date(std::nullopt, ""), "");
    EXPECT_EQ(date(std::nullopt, "volgende week"), "volgende week");
    EXPECT_EQ(date(std::nullopt, "2024-02-30"), "2024-02-30");
}

InvoiceDocument documentWithContent() {
    InvoiceDocument doc;
    doc.content.invoiceNumber = "2024-7";
    doc.content.issueDate = "2024-03-01";
    doc.content.dueDate = "2024-03-31";
    CustomerSnapshot customer;
    customer.companyName = "Klant BV";
    customer.city = "Goes";
    doc.content.customerSnapshot = customer;
    ContactSnapshot contact;
    contact.firstName = "Anne";
    contact.lastName = "de Vries";
    doc.content.contactSnapshot = contact;
    auto line = [](const char* id, std::int64_t excl, std::int64_t vat) {
        InvoiceLineItem item;
        item.id = id;
        item.subtotalExVatCents = excl;
        item.vatAmountCents = vat;
        item.totalIncVatCents = excl + vat;
        return item;
    };
    doc.content.lineItems = {line("a", 10000, 2100), line("b", 5000, 450)};
    return doc;
}

TEST(TemplateVariablesTest, FillsKnownNamesAndLeavesUnknownOnes) {
    EXPECT_EQ(TemplateVariables::knownNameCount(), 65u);
    TemplateVariables vars(documentWithContent(), sys_days{year{2024} / 4 / 5});
    EXPECT_EQ(vars.substitute("Factuur {{factuurnummer}} van {{factuurdatum}}, {{betaaltermijn}} dagen"),
              "Factuur 2024-7 van 01-03-2024, 30 dagen");
    EXPECT_EQ(vars.substitute("{{klant.naam}} / {{klant.bedrijf}}"), "Anne de Vries / Klant BV");
    EXPECT_EQ(vars.substitute("{{subtotaal}} + {{btw}} = {{totaal_incl}}"), "€ 150,00 + € 25,50 = € 175,50");
    EXPECT_EQ(vars.substitute("{{incassokosten}}; {{dagen_vervallen}} dagen"), "€ 40,00; 5 dagen");
    EXPECT_EQ(vars.substitute("[{{offerte.nummer}}]{{onbekend}}{{{org.naam}}"), "[]{{onbekend}}{")
        << "an unknown name stays; a variable right after a stray brace is filled";
    EXPECT_EQ(vars.substitute("{{paginanummer}}/{{totaalpaginas}}"),
              std::string(kPageNumberMark) + "/" + std::string(kPageCountMark));
}

TEST(TemplateVariablesTest, SubstitutedLinesDropWhatBecameEmpty) {
    TemplateVariables vars(documentWithContent(), sys_days{year{2024} / 4 / 5});
    EXPECT_EQ(
        vars.substituteLines("{{klant.bedrijf}}\n{{klant.straat}} {{klant.huisnummer}}\n{{klant.stad}}  "),
        "Klant BV\nGoes");
    EXPECT_EQ(fillPageNumbers(vars.substitute("Pagina {{paginanummer}} van {{totaalpaginas}}"), 2, 3),
              "Pagina 2 van 3");
}

}  // namespace
}  // namespace zelvorin
