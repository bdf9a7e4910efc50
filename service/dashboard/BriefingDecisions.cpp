#include "service/dashboard/BriefingDecisions.h"

#include "persistence/sqlite/Connection.h"

namespace zelvorin::service::briefingdecisions {

void put(Connection& db, const std::string& organizationId, const std::string& actionId,
         const Decision& decision, const std::string& userId, const std::string& decidedAt) {
    db.cached(
          "INSERT OR REPLACE INTO briefing_decision (organization_id, action_id, decision, snooze_until, "
          "user_id, decided_at) VALUES (?, ?, ?, ?, ?, ?)")
        .bindAll(organizationId, actionId, decision.decision, decision.snoozeUntil, userId, decidedAt)
        .run();
}

std::map<std::string, Decision> all(Connection& db, const std::string& organizationId) {
    Statement& rows = db.cached(
        "SELECT action_id, decision, snooze_until FROM briefing_decision WHERE organization_id = ?");
    rows.bindAll(organizationId);
    std::map<std::string, Decision> found;
    while (rows.step()) {
        found[rows.text(0)] = Decision{rows.text(1), rows.optionalText(2)};
    }
    return found;
}

}  // namespace zelvorin::service::briefingdecisions
