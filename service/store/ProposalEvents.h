#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zelvorin {
class Connection;
}

namespace zelvorin::service {

// What happened to a proposal that its records do not keep (a reminder, an invitation sent
// again), for its timeline; written in the transaction of the action.
struct ProposalEvent {
    std::string id;
    std::string proposalId;
    std::string at;
    std::string category;  // "reminder" or "recipient"
    std::string kind;      // "reminder_sent", "invite_resent"
    std::string description;
    std::optional<std::string> actorName;
};

namespace proposalevents {

void add(Connection& db, const std::string& organizationId, const ProposalEvent& event);
// Oldest first.
std::vector<ProposalEvent> of(Connection& db, const std::string& organizationId,
                              const std::string& proposalId);

}  // namespace proposalevents
}  // namespace zelvorin::service
