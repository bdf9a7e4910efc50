#include <algorithm>
#include <array>
#include <string_view>

#include "domain/VatTreatment.h"
#include "service/seed/SeedParts.h"

namespace zelvorin::service::seed {

namespace {
struct ProposalPlan {
    const char* title;
    const char* status;
    int customer;
    int createdDaysAgo;
    bool signed_;
};

void seedProposal(SeedContext& context, const SeededOrganisation& organisation,
                  const SeededCustomer& customer, const ProposalPlan& plan, const std::string& userId) {
    const int created = -plan.createdDaysAgo;
    const int published = created + 2;
    Json proposal;
    proposal["id"] = context.nextId();
    proposal["organizationId"] = organisation.id;
    proposal["title"] = plan.title;
    proposal["status"] = plan.status;
    proposal["isTemplate"] = false;
    proposal["language"] = customer.plan.language;
    proposal["contactId"] = customer.id;
    proposal["brandLockedToTemplate"] = false;
    proposal["createdByUserId"] = userId;
    proposal["expiryDate"] = context.date(published + 30);
    proposal["expiresAt"] = context.timestamp(published + 30, 22);
    proposal["allowPublicShare"] = true;
    proposal["autoReminderEnabled"] = !plan.signed_;
    proposal["publishedAt"] = context.timestamp(published, 10);
    if (plan.signed_) proposal["signedAt"] = context.timestamp(published + 3, 14);
    proposal["createdAt"] = context.timestamp(created, 10);
    proposal["updatedAt"] = context.timestamp(plan.signed_ ? published + 3 : published, 14);
    addServerBookkeeping(proposal, context);
    context.put(organisation.id, "proposal", proposal);
    const std::string proposalId = proposal["id"].get<std::string>();

    const ContactPlan& person = customer.plan.contacts.front();
    Json recipient;
    recipient["id"] = context.nextId();
    recipient["proposalId"] = proposalId;
    recipient["contactId"] = customer.id;
    recipient["contactPersonId"] = customer.contactIds.front();
    recipient["name"] = person.name;
    recipient["email"] = person.email;
    recipient["role"] = "signer";
    recipient["token"] = "ontvanger-" + recipient["id"].get<std::string>().substr(24);
    recipient["invitedAt"] = context.timestamp(published, 10);
    recipient["lastViewedAt"] = context.timestamp(published + 1, 20);
    if (plan.signed_) recipient["signedAt"] = context.timestamp(published + 3, 14);
    recipient["createdAt"] = context.timestamp(published, 10);
    addServerBookkeeping(recipient, context);
    context.put(organisation.id, "proposalRecipient", recipient);

    Json link;
    link["id"] = context.nextId();
    link["proposalId"] = proposalId;
    link["token"] = "deel-" + link["id"].get<std::string>().substr(19);
    link["createdByUserId"] = userId;
    link["source"] = "app";
    link["label"] = "Link voor " + customer.plan.companyName;
    link["createdAt"] = context.timestamp(published, 10, 5);
    link["lastUsedAt"] = context.timestamp(published + 1, 20);
    link["useCount"] = plan.signed_ ? 4 : 2;
    addServerBookkeeping(link, context);
    context.put(organisation.id, "proposalShareLink", link);
}

}  // namespace

void seedProposals(SeedContext& context, const SeededOrganisation& organisation,
                   const std::vector<SeededCustomer>& customers, const std::string& userId) {
    const std::array<ProposalPlan, 2> proposals{{
        {"Nieuwe huisstijl en website", "sent", 2, 12, false},
        {"Onderhoud en doorontwikkeling 2e halfjaar", "signed", 3, 30, true},
    }};
    for (const ProposalPlan& plan : proposals) {
        seedProposal(context, organisation, customers.at(static_cast<std::size_t>(plan.customer)), plan,
                     userId);
    }
}

}  // namespace zelvorin::service::seed
