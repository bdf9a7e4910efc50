#pragma once

#include <string>
#include <vector>

#include "api-client/ProposalRecords.h"
#include "api-client/SyncAPIClient.h"

// The proposal calls. Reads answer with the fetch mapping, changes with the action mapping.
namespace zelvorin::proposalactions {

std::vector<proposalrecords::ProposalTemplateSummary> templates(SyncAPIClient& client);
// The new proposal's id.
std::string create(SyncAPIClient& client, const std::string& title, const std::string& contactId,
                   const std::string& fromTemplateId);
// The body of the action PATCH is written as text: {"action":"<word>"}, the word inserted as it is
// (no escaping), so callers pass plain action words only.
std::string actionBody(const std::string& action);
void applyAction(SyncAPIClient& client, const std::string& proposalId, const std::string& action);
void remove(SyncAPIClient& client, const std::string& proposalId);
std::vector<proposalrecords::ProposalTimelineItem> timeline(SyncAPIClient& client,
                                                            const std::string& proposalId);
proposalrecords::ProposalStats stats(SyncAPIClient& client, const std::string& proposalId);
proposalrecords::ProposalRemindResponse remind(SyncAPIClient& client, const std::string& proposalId,
                                               const std::string& type);
void resendInvite(SyncAPIClient& client, const std::string& proposalId, const std::string& recipientId);
// The proposal's status after sending.
std::string send(SyncAPIClient& client, const std::string& proposalId);

}  // namespace zelvorin::proposalactions
