#include "service/store/ProposalEvents.h"

#include "persistence/sqlite/Connection.h"

namespace zelvorin::service::proposalevents {

void add(Connection& db, const std::string& organizationId, const ProposalEvent& event) {
    db.cached(
          "INSERT INTO proposal_event (organization_id, id, proposal_id, at, category, kind, description, "
          "actor_name) VALUES (?, ?, ?, ?, ?, ?, ?, ?)")
        .bindAll(organizationId, event.id, event.proposalId, event.at, event.category, event.kind,
                 event.description, event.actorName)
        .run();
}

std::vector<ProposalEvent> of(Connection& db, const std::string& organizationId,
                              const std::string& proposalId) {
    Statement& rows = db.cached(
        "SELECT id, proposal_id, at, category, kind, description, actor_name FROM proposal_event "
        "WHERE organization_id = ? AND proposal_id = ? ORDER BY at, rowid");
    rows.bindAll(organizationId, proposalId);
    std::vector<ProposalEvent> events;
    while (rows.step()) {
        events.push_back({rows.text(0), rows.text(1), rows.text(2), rows.text(3), rows.text(4), rows.text(5),
                          rows.optionalText(6)});
    }
    return events;
}

}  // namespace zelvorin::service::proposalevents
