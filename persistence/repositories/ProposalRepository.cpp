#include "persistence/repositories/ProposalRepository.h"

#include "persistence/RecordStatements.h"

namespace zelvorin {

ProposalRepository::ProposalRepository(AppDatabase database) : database_(std::move(database)) {}

std::vector<ProposalRecord> ProposalRepository::proposals() {
    return database_.writer->read([](Connection& db) {
        return selectRecords<ProposalRecord>(
            db,
            "SELECT * FROM proposal\nWHERE deleted_at IS NULL\n  AND (is_template "
            "IS NULL OR is_template = 0)\nORDER BY updated_at DESC, created_at DESC");
    });
}

std::optional<ProposalRecord> ProposalRepository::proposal(const std::string& id) {
    return database_.writer->read([&](Connection& db) { return recordById<ProposalRecord>(db, id); });
}

std::vector<ProposalRecipientRecord> ProposalRepository::recipients(const std::string& proposalId) {
    return database_.writer->read([&](Connection& db) {
        return selectRecords<ProposalRecipientRecord>(db,
                                                      "SELECT * FROM proposal_recipient\nWHERE proposal_id = "
                                                      "? AND deleted_at IS NULL\nORDER BY created_at ASC",
                                                      proposalId);
    });
}

std::vector<ProposalShareLinkRecord> ProposalRepository::shareLinks(const std::string& proposalId) {
    return database_.writer->read([&](Connection& db) {
        return selectRecords<ProposalShareLinkRecord>(db,
                                                      "SELECT * FROM proposal_share_link\nWHERE proposal_id "
                                                      "= ? AND deleted_at IS NULL\nORDER BY created_at DESC",
                                                      proposalId);
    });
}

}  // namespace zelvorin
