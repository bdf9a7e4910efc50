#include "service/seed/DemoSeedData.h"

#include "service/seed/IbanText.h"

namespace zelvorin::service::seed {

namespace {

using enum InvoiceStatus;

LinePlan hours(const char* description, std::int64_t hoursHundredths, std::int64_t rateCents,
               std::optional<VatTreatment> vatOverride = std::nullopt) {
    return {description, LineMode::hoursRate, hoursHundredths, rateCents, std::nullopt, vatOverride};
}

LinePlan quantity(const char* description, std::int64_t quantityHundredths, std::int64_t priceCents,
                  std::optional<VatTreatment> vatOverride = std::nullopt) {
    return {description, LineMode::qtyPrice, quantityHundredths, priceCents, std::nullopt, vatOverride};
}

LinePlan fixed(const char* description, std::int64_t amountCents,
               std::optional<VatTreatment> vatOverride = std::nullopt) {
    return {description, LineMode::fixed, std::nullopt, std::nullopt, amountCents, vatOverride};
}

// The studio's usual lines. Rates and amounts are chosen so that several VAT amounts land on a
// half cent and have to be rounded.
const LinePlan kBranding = hours("Ontwerp huisstijl", 1250, 9500);
const LinePlan kWebsite = hours("Webdevelopment", 2450, 9500);
const LinePlan kMeeting = hours("Overleg en presentatie", 150, 8500);
const LinePlan kCards = quantity("Drukwerk visitekaartjes", 50000, 12);
const LinePlan kBooks = quantity("Boek 'Typografie in de praktijk'", 200, 3495, VatTreatment::nl9);
const LinePlan kPhoto = fixed("Fotografie, dagdeel", 45000);
const LinePlan kFees = fixed("Doorbelaste leges KVK-uittreksel", 1895, VatTreatment::nl0);
const LinePlan kFontLicence = fixed("Licentie lettertype (doorbelast)", 12050);
const LinePlan kTravel = quantity("Reiskosten (km)", 8650, 23);

}  // namespace

const OrgProfile& demoProfile() {
    static const OrgProfile profile{"Studio Zelvorin",
                                    "Oudegracht 118",
                                    "3511 AW",
                                    "Utrecht",
                                    "NL861234567B01",
                                    "81234567",
                                    dutchIban("RABO", "0312456789"),
                                    "RABONL2U",
                                    "hallo@studiozelvorin.nl",
                                    "030 231 44 50",
                                    "#1F4E79",
                                    "#E07A1F",
                                    "Roboto",
                                    "Roboto",
                                    9500};
    return profile;
}

const std::vector<CustomerPlan>& demoCustomers() {
    static const std::vector<CustomerPlan> customers{
        {"Bakkerij Van Dam B.V.",
         "Voorstraat",
         "41",
         "3512 AK",
         "Utrecht",
         "NL",
         "NL812345678B01",
         "30123456",
         "administratie@bakkerijvandam.nl",
         dutchIban("INGB", "0006543210"),
         "nl",
         std::nullopt,
         {{"Marieke van Dam", "marieke@bakkerijvandam.nl", "030 231 10 10", true, true},
          {"Joost van Dam", "joost@bakkerijvandam.nl", "06 12 34 56 78", false, false}}},
        {"Groenland Hoveniers",
         "Kwekerijweg",
         "7",
         "3817 BD",
         "Amersfoort",
         "NL",
         "NL823456789B01",
         "31234567",
         "facturen@groenlandhoveniers.nl",
         dutchIban("RABO", "0145678923"),
         "nl",
         14,
         {{"Ahmed El Amrani", "ahmed@groenlandhoveniers.nl", "033 465 22 00", true, true}}},
        {"Noordzee Logistiek B.V.",
         "Waalhaven Zuidzijde",
         "12",
         "3089 JH",
         "Rotterdam",
         "NL",
         "NL834567890B01",
         "24345678",
         "crediteuren@noordzeelogistiek.nl",
         dutchIban("ABNA", "0456123789"),
         "nl",
         std::nullopt,
         {{"Femke Jansen", "femke.jansen@noordzeelogistiek.nl", "010 429 80 00", true, false},
          {"Crediteurenadministratie", "crediteuren@noordzeelogistiek.nl", "010 429 80 10", false, true}}},
        {"Hof & Partners Advocaten",
         "Lange Voorhout",
         "86",
         "2514 EJ",
         "Den Haag",
         "NL",
         "NL845678901B01",
         "27456789",
         "office@hofpartners.nl",
         dutchIban("INGB", "0007788990"),
         "nl",
         21,
         {{"mr. Willem Hof", "w.hof@hofpartners.nl", "070 362 55 00", true, true}}},
        {"Brandt Medien GmbH",
         "Hohenzollernring",
         "22",
         "50672",
         "Köln",
         "DE",
         "DE123456789",
         std::nullopt,
         "buchhaltung@brandt-medien.de",
         "DE89370400440532013000",
         "en",
         std::nullopt,
         {{"Katrin Brandt", "k.brandt@brandt-medien.de", "+49 221 123456", true, true}}},
    };
    return customers;
}

const std::vector<InvoicePlan>& demoInvoices() {
    static const std::vector<InvoicePlan> invoices{
        {draft, 0, 2, VatTreatment::nl21, {kBranding, kMeeting}},
        {draft, 1, 1, VatTreatment::nl21, {kPhoto}},
        {readyForFinalize, 2, 3, VatTreatment::nl21, {kWebsite, kFees}},
        {finalizing, 3, 1, VatTreatment::nl21, {kMeeting, kTravel}},
        {finalized, 0, 2, VatTreatment::nl21, {kCards, kBooks}},
        {sent, 1, 6, VatTreatment::nl21, {kBranding, kFontLicence}},
        {sent, 4, 10, VatTreatment::verlegd, {kWebsite, kMeeting}},
        {delivered, 2, 8, VatTreatment::nl21, {kPhoto, kTravel}},
        {viewed, 3, 12, VatTreatment::nl21, {kMeeting, kFees}},
        {partiallyPaid, 0, 20, VatTreatment::nl21, {kWebsite, kCards, kBooks}},
        {paid, 1, 95, VatTreatment::nl21, {kBranding}},
        {paid, 2, 80, VatTreatment::nl21, {kWebsite, kMeeting, kFees}},
        {paid, 3, 70, VatTreatment::nl21, {kPhoto}},
        {paid, 0, 60, VatTreatment::nl9, {kBooks, quantity("Boek 'Letters met karakter'", 300, 2750)}},
        {paid, 4, 55, VatTreatment::verlegd, {kBranding, kFontLicence}},
        {paid, 1, 45, VatTreatment::nl21, {kMeeting, kTravel, kFees}},
        {paid, 2, 40, VatTreatment::nl21, {kCards}},
        {overdue, 3, 50, VatTreatment::nl21, {kWebsite}},
        {overdue, 0, 65, VatTreatment::nl21, {kBranding, kPhoto}},
        {overdue, 1, 75, VatTreatment::nl21, {kMeeting, kFontLicence}},
        {cancelled, 2, 35, VatTreatment::nl21, {kPhoto, kMeeting}},
        {credited, 3, 90, VatTreatment::nl21, {kWebsite, kTravel}},
        {credited, 0, 85, VatTreatment::nl21, {kCards}},
        {sent, 2, 4, VatTreatment::nl21, {kBranding, kBooks, kFees}},
        {viewed, 0, 15, VatTreatment::nl21, {fixed("Onderhoud website, kwartaal", 75000)}},
    };
    return invoices;
}

const OrgProfile& secondProfile() {
    static const OrgProfile profile{"Klusbedrijf Hoogstraat",
                                    "Hoogstraat 9",
                                    "5611 JN",
                                    "Eindhoven",
                                    "NL871234567B01",
                                    "87654321",
                                    dutchIban("INGB", "0009876543"),
                                    "INGBNL2A",
                                    "info@klusbedrijfhoogstraat.nl",
                                    "040 211 33 40",
                                    "#2E7D32",
                                    "#FBC02D",
                                    "Roboto",
                                    "Roboto",
                                    5500};
    return profile;
}

const std::vector<CustomerPlan>& secondCustomers() {
    static const std::vector<CustomerPlan> customers{
        {"Vereniging van Eigenaars De Linde",
         "Lindelaan",
         "2",
         "5612 AB",
         "Eindhoven",
         "NL",
         std::nullopt,
         "40123987",
         "penningmeester@vvedelinde.nl",
         dutchIban("RABO", "0234567812"),
         "nl",
         std::nullopt,
         {{"Gerrit Smits", "penningmeester@vvedelinde.nl", "06 98 76 54 32", true, true}}},
        {"Tandartspraktijk Stratum",
         "Leenderweg",
         "150",
         "5615 AB",
         "Eindhoven",
         "NL",
         "NL856789012B01",
         "17654321",
         "praktijk@tandartsstratum.nl",
         dutchIban("ABNA", "0567812345"),
         "nl",
         std::nullopt,
         {{"Lotte Verbeek", "praktijk@tandartsstratum.nl", "040 212 00 11", true, true}}},
    };
    return customers;
}

const std::vector<InvoicePlan>& secondInvoices() {
    static const std::vector<InvoicePlan> invoices{
        {draft, 0, 1, VatTreatment::nl21, {hours("Schilderwerk trappenhuis", 1600, 5500)}},
        {sent,
         1,
         9,
         VatTreatment::nl21,
         {hours("Montage kasten", 600, 5500), quantity("Scharnieren", 2400, 385)}},
        {paid, 0, 40, VatTreatment::nl9, {hours("Isolatie spouwmuur (woning)", 1200, 5500)}},
    };
    return invoices;
}

}  // namespace zelvorin::service::seed
