#include "service/seed/SeedVolume.h"

#include <array>
#include <string>

namespace zelvorin::service::seed {

namespace {

constexpr int kContactsPerCustomer = 2;
constexpr int kInvoicesPerCustomer = 4;
constexpr int kLinesPerInvoice = 3;
constexpr int kRecordsPerCustomer = 1 + kContactsPerCustomer + kInvoicesPerCustomer * (1 + kLinesPerInvoice);

constexpr std::array<const char*, 6> kCities{"Utrecht", "Amersfoort", "Zwolle", "Haarlem", "Breda", "Leiden"};
constexpr std::array<const char*, 4> kWork{"Ontwerp huisstijl", "Advies en begeleiding",
                                           "Ontwikkeling webwinkel", "Fotografie op locatie"};

CustomerPlan customerPlan(int n, bool withContacts) {
    const std::string number = std::to_string(n);
    CustomerPlan plan;
    plan.companyName = "Klant " + number + " B.V.";
    plan.street = "Dorpsstraat";
    plan.houseNumber = std::to_string(1 + n % 250);
    plan.postcode = std::to_string(1000 + n % 9000) + " AB";
    plan.city = kCities[static_cast<std::size_t>(n) % kCities.size()];
    plan.country = "NL";
    plan.billingEmail = "administratie@klant" + number + ".nl";
    plan.iban = "NL91ABNA0417164300";
    plan.language = "nl";
    if (withContacts) {
        plan.contacts.push_back(
            {"Contact " + number + " A", "a@klant" + number + ".nl", "0612345678", true, true});
        plan.contacts.push_back(
            {"Contact " + number + " B", "b@klant" + number + ".nl", "0687654321", false, false});
    }
    return plan;
}

InvoicePlan invoicePlan(int customer, int n) {
    InvoicePlan plan;
    plan.status = InvoiceStatus::draft;
    plan.customer = customer;
    plan.issuedDaysAgo = n % 90;
    for (int line = 0; line < kLinesPerInvoice; ++line) {
        LinePlan item;
        item.description = kWork[static_cast<std::size_t>(n + line) % kWork.size()];
        item.mode = LineMode::hoursRate;
        item.quantityHundredths = 100 * (1 + (n + line) % 12);
        item.unitPriceCents = 8500;
        plan.lines.push_back(item);
    }
    return plan;
}

}  // namespace

VolumePlans volumePlans(int records, int firstCustomer) {
    VolumePlans plans;
    int made = 0;
    for (int n = 0; made + kRecordsPerCustomer <= records; ++n, made += kRecordsPerCustomer) {
        plans.customers.push_back(customerPlan(n, true));
        for (int i = 0; i < kInvoicesPerCustomer; ++i)
            plans.invoices.push_back(invoicePlan(firstCustomer + n, n * kInvoicesPerCustomer + i));
    }
    for (int n = static_cast<int>(plans.customers.size()); made < records; ++n, ++made)
        plans.customers.push_back(customerPlan(n, false));
    return plans;
}

}  // namespace zelvorin::service::seed
