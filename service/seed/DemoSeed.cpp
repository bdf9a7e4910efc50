#include "service/seed/DemoSeed.h"

#include "service/seed/DemoSeedData.h"
#include "service/seed/SeedContext.h"
#include "service/seed/SeedParts.h"
#include "service/seed/SeedVolume.h"
#include "service/store/Accounts.h"
#include "service/store/ServiceDatabase.h"

namespace zelvorin::service {

namespace {

// The first ids the seed hands out, in this order.
enum SeedIdOrder : std::uint64_t { kDemoOrganization = 1, kSecondOrganization, kOwnerUser, kMemberUser };

void seedAccounts(Connection& db, SeedContext& context) {
    const std::string created = context.timestamp(-120, 8);
    accounts::addOrganization(db, {context.nextId(), seed::demoProfile().name, created});
    accounts::addOrganization(db, {context.nextId(), seed::secondProfile().name, created});
    accounts::addUser(db, {context.nextId(), "sanne@studiozelvorin.nl", "Sanne de Boer", created});
    accounts::addUser(db, {context.nextId(), "daan@studiozelvorin.nl", "Daan Visser", created});
    accounts::addMembership(db, {demoOrganizationId(), demoOwnerUserId(), "owner", created});
    accounts::addMembership(db, {demoOrganizationId(), demoMemberUserId(), "member", created});
    accounts::addMembership(db, {secondOrganizationId(), demoOwnerUserId(), "admin", created});
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

bool seedDemo(const ServiceDatabase& database, std::chrono::year_month_day referenceDate, int volume) {
    return database.write([&](Connection& db) {
        if (accounts::anyOrganization(db)) return false;
        SeedContext context(db, referenceDate);
        seedAccounts(db, context);
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
        return true;
    });
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
