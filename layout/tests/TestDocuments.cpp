#include "layout/tests/TestDocuments.h"

#include "domain/LineTotals.h"
#include "layout/DefaultLayout.h"

namespace zelvorin::testing {

std::string sampleDescription(int index) {
    return "Werkzaamheden regel " + std::to_string(index + 1) + " ontwerp en overleg";
}

InvoiceDocument sampleInvoice(int lineCount) {
    InvoiceDocument doc;
    doc.locale = "nl-NL";
    doc.currency = "EUR";
    doc.layout = defaultLayout();
    doc.layout.footerPageNumbering =
        FooterPageNumbering{true, "Pagina {{paginanummer}} van {{totaalpaginas}}", "center"};
    InvoiceContent& c = doc.content;
    OrganizationSnapshot org;
    org.name = "Atelier Zeeuw";
    org.street = "Havenstraat";
    org.houseNumber = "12";
    org.postcode = "4331 AB";
    org.city = "Middelburg";
    org.country = "Nederland";
    org.email = "info@atelierzeeuw.nl";
    org.vatNumber = "NL001234567B01";
    org.kvkNumber = "12345678";
    org.iban = "NL91ABNA0417164300";
    c.organizationSnapshot = org;
    CustomerSnapshot customer;
    customer.companyName = "Bakkerij de Korenschoof";
    customer.street = "Marktplein";
    customer.houseNumber = "3";
    customer.postcode = "4461 AA";
    customer.city = "Goes";
    c.customerSnapshot = customer;
    c.invoiceNumber = "2024-0042";
    c.issueDate = "2024-03-01";
    c.dueDate = "2024-03-31";
    c.vatTreatment = "nl_21";
    c.introText = "Hierbij factureren wij de werkzaamheden van maart.";
    c.footerText = "Atelier Zeeuw - KVK 12345678";
    for (int i = 0; i < lineCount; ++i) {
        CalcLine calc{LineMode::hoursRate, 100 + (i % 5) * 25, 8500 + i, std::nullopt, std::nullopt};
        std::optional<std::string> override;
        if (i % 3 == 1) {
            calc.vatTreatmentOverride = VatTreatment::nl9;
            override = "nl_9";
        } else if (i % 7 == 6) {
            calc.vatTreatmentOverride = VatTreatment::verlegd;
            override = "verlegd";
        }
        LineTotals totals = lineTotals(calc, VatTreatment::nl21);
        InvoiceLineItem line;
        line.id = "line-" + std::to_string(i);
        line.sortOrder = i;
        line.description = sampleDescription(i);
        line.hoursHundredths = calc.quantityHundredths;
        line.unitPriceCents = calc.unitPriceCents;
        line.vatRate = vatRate(effectiveTreatment(calc, VatTreatment::nl21));
        line.vatTreatmentOverride = override;
        line.subtotalExVatCents = totals.exclCents;
        line.vatAmountCents = totals.vatCents;
        line.totalIncVatCents = totals.inclCents;
        c.lineItems.push_back(line);
    }
    return doc;
}

}  // namespace zelvorin::testing
