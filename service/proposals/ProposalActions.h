#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "domain/TimePoint.h"
#include "service/http/RequestContext.h"

namespace zelvorin::service {

class MailOutbox;
class ServiceDatabase;

// Proposals are synced records (proposal, proposalRecipient, proposalShareLink): every change
// here is a new revision that devices pull. A template is a proposal with "isTemplate" true.
// Each action is one transaction; messages it sends are taken back when that does not commit.

struct ProposalTemplate {
    std::string id;
    std::string name;
    std::optional<std::string> description;
};

struct NewProposal {
    std::string title;
    std::string contactId;  // the customer
    std::string fromTemplateId;
};

struct ProposalTimelineEntry {
    std::string id;
    std::string at;
    std::string category;
    std::string kind;
    std::string description;
    std::optional<std::string> actorName;
};

struct ProposalFigures {
    std::int64_t totalOpens = 0;
    std::int64_t uniqueSessions = 0;
    std::int64_t uniqueRecipients = 0;
    std::optional<std::string> lastViewedAt;
    std::int64_t blocksDwellTotalMs = 0;
    double bounceRate = 0;
    std::int64_t sharedCount = 0;
};

struct RemindOutcome {
    int sent = 0;
    int total = 0;
    int failed = 0;
};

std::vector<ProposalTemplate> proposalTemplates(const ServiceDatabase& database, const Caller& caller);
// A draft from the template for the customer, with the customer's first contact person that has an
// address as its signer. Refused: an empty title (badRequest); an unknown customer or template
// (notFound). Returns the new proposal's id.
std::string createProposal(const ServiceDatabase& database, const Caller& caller, const NewProposal& request,
                           TimePoint now);
// "archive", "unarchive" or "withdraw" (back to a draft); anything else is unprocessable.
void applyProposalAction(const ServiceDatabase& database, const Caller& caller, const std::string& proposalId,
                         const std::string& action, TimePoint now);
// Tombstones the proposal with its recipients and share links.
void deleteProposal(const ServiceDatabase& database, const Caller& caller, const std::string& proposalId,
                    TimePoint now);
std::vector<ProposalTimelineEntry> proposalTimeline(const ServiceDatabase& database, const Caller& caller,
                                                    const std::string& proposalId);
ProposalFigures proposalStats(const ServiceDatabase& database, const Caller& caller,
                              const std::string& proposalId);

// Mails every recipient its invitation and marks the proposal sent; unprocessable without a
// recipient that has an address. Returns the new status.
std::string sendProposal(const ServiceDatabase& database, const MailOutbox& outbox, const Caller& caller,
                         const std::string& proposalId, TimePoint now);
// `type`: "unsigned" (who has neither signed nor declined) or "unviewed" (who has not opened it).
RemindOutcome remindProposal(const ServiceDatabase& database, const MailOutbox& outbox, const Caller& caller,
                             const std::string& proposalId, const std::string& type, TimePoint now);
void resendProposalInvite(const ServiceDatabase& database, const MailOutbox& outbox, const Caller& caller,
                          const std::string& proposalId, const std::string& recipientId, TimePoint now);

}  // namespace zelvorin::service
