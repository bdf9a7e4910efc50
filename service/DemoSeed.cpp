#include "service/DemoSeed.h"

#include "service/DemoSeedData.h"
#include "service/SeedContext.h"
#include "service/SeedParts.h"
#include "service/SeedVolume.h"

namespace zelvorin::service {

namespace {

// The first ids the seed hands out, in this order.
enum SeedIdOrder : std::uint64_t { kDemoOrganization = 1, kSecondOrganization, kOwnerUser, kMemberUser };

void seedAccounts(Storage& storage, SeedContext& context) {
    const std::string created = context.timestamp(-120, 8);
    storage.addOrganization({context.nextId(), seed::demoProfile().name, created});
    storage.addOrganization({context.nextId(), seed::secondProfile().name, created});
    storage.addUser({context.nextId(), "sanne@studiozelvorin.nl", "Sanne de Boer", created});
    storage.addUser({context.nextId(), "daan@studiozelvorin.nl", "Daan Visser", created});
    storage.addMembership({demoOrganizationId(), demoOwnerUserId(), "owner", created});
    storage.addMembership({demoOrganizationId(), demoMemberUserId(), "member", created});
    storage.addMembership({secondOrganizationId(), demoOwnerUserId(), "admin", created});
}

void seedOrganisationContent(SeedContext& context, const std::string& organizationId,
                             const seed::OrgProfile& profile,
                             const std::vector<seed::CustomerPlan>& customerPlans,
                             const std::vector<seed::InvoicePlan>& invoicePlans, bool full) {
    const seed::SeededOrganisation organisation = seed::seedOrganisation(
        context, organizationId, profile, seed::numberedInvoiceCount(invoicePlans) + 1);
    const auto customers = seed::seedCustomers(context, organisation, customerPlans);
    const auto invoices = seed::seedInvoices(context, organisation, customers, invoicePlans);
    if (full) {
        const auto incoming = seed::seedInbox(context, organisation);
        seed::seedBank(context, organisation, customers, invoices, incoming, 2, 60);
        seed::seedWorkflow(context, organisation, customers, invoices, demoOwnerUserId());
    } else {
        seed::seedBank(context, organisation, customers, invoices, {}, 1, 6);
    }
}

}  // namespace

bool seedDemo(Storage& storage, std::chrono::year_month_day referenceDate, int volume) {
    bool seeded = false;
    storage.transaction([&] {
        if (!storage.isEmpty()) return;
        SeedContext context(storage, referenceDate);
        seedAccounts(storage, context);
        std::vector<seed::CustomerPlan> customers = seed::demoCustomers();
        std::vector<seed::InvoicePlan> invoices = seed::demoInvoices();
        if (volume > 0) {
            seed::VolumePlans extra = seed::volumePlans(volume, static_cast<int>(customers.size()));
            customers.insert(customers.end(), extra.customers.begin(), extra.customers.end());
            invoices.insert(invoices.end(), extra.invoices.begin(), extra.invoices.end());
        }
        seedOrganisationContent(context, demoOrganizationId(), seed::demoProfile(), customers, invoices,
                                true);
        seedOrganisationContent(context, secondOrganizationId(), seed::secondProfile(),
                                seed::secondCustomers(), seed::secondInvoices(), false);
        seeded = true;
    });
    return seeded;
}

std::string demoOrganizationId() {
    return SeedContext::idAt(kDemoOrganization);
}
std::string secondOrganizationId() {
    return SeedContext::idAt(kSecondOrganization);
}
std::string demoOwnerUserId() {
    return SeedContext::idAt(kOwnerUser);
}
std::string demoMemberUserId() {
    return SeedContext::idAt(kMemberUser);
}

}  // namespace zelvorin::service
