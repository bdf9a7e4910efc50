#pragma once

#include <optional>
#include <string>
#include <vector>

#include "persistence/AppDatabase.h"
#include "persistence/generated/Records.h"

namespace zelvorin {

// Proposals (offertes) with their recipients and share links, server-owned tables read here.
class ProposalRepository {
public:
    explicit ProposalRepository(AppDatabase database);

    // Not deleted and not a template, last updated first.
    std::vector<ProposalRecord> proposals();
    std::optional<ProposalRecord> proposal(const std::string& id);  // templates and tombstones too
    std::vector<ProposalRecipientRecord> recipients(const std::string& proposalId);  // oldest first
    std::vector<ProposalShareLinkRecord> shareLinks(const std::string& proposalId);  // newest first

private:
    AppDatabase database_;
};

}  // namespace zelvorin
