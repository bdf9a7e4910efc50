#include "bench/support/StudioInvoice.h"

#include "persistence/RecordStatements.h"

namespace zelvorin::bench {

void insertStudioAndCustomer(Connection& db, const std::string& organizationId) {
    OrgSettingsRecord settings;
    settings.id = "org-settings";
    settings.organizationId = organizationId;
    settings.orgName = "Studio Zelvorin";
    settings.addressStreet = "Oudegracht 118";
    settings.addressPostal = "3511 AW";
    settings.addressCity = "Utrecht";
    settings.vatNumber = "NL861234567B01";
    settings.kvkNumber = "81234567";
    settings.iban = "NL03RABO0312456789";
    settings.paymentTermsDays = 30;
    settings.updatedAt = "2026-03-16T09:00:00.000Z";
    insertRecord(db, settings);
    CustomerRecord customer;
    customer.id = "klant-1";
    customer.organizationId = organizationId;
    customer.companyName = "Bakkerij Van Dam B.V.";
    customer.street = "Voorstraat";
    customer.houseNumber = "41";
    customer.postcode = "3512 AK";
    customer.city = "Utrecht";
    customer.country = "NL";
    customer.createdAt = customer.updatedAt = "2026-03-16T09:00:00.000Z";
    insertRecord(db, customer);
}

InvoiceLineRecord mixedLine(int n) {
    InvoiceLineRecord line;
    line.description = "Werkzaamheden week " + std::to_string(n % 52 + 1) + " — ontwerp en overleg" +
                       (n % 7 == 0 ? std::string(", inclusief uitgebreide afstemming met de "
                                                 "opdrachtgever over de drukproeven en de planning")
                                   : std::string());
    line.lineMode = n % 3 == 0 ? "hours_rate" : n % 3 == 1 ? "qty_price" : "fixed";
    if (n % 3 != 2) {
        line.quantityHundredths = 100 + n % 9 * 25;
        line.unitPriceCents = 8500 + n % 5 * 250;
    } else {
        line.amountCents = 12000 + n * 10;
    }
    if (n % 10 == 0) line.vatTreatmentOverride = "nl_9";
    return line;
}

}  // namespace zelvorin::bench
