#include "service/store/OrgIntegrations.h"

#include "domain/Timestamps.h"
#include "persistence/sqlite/Connection.h"

namespace zelvorin::service::orgintegrations {

std::optional<std::string> find(Connection& db, const std::string& organizationId, const std::string& name) {
    Statement& row = db.cached("SELECT value FROM org_integration WHERE organization_id = ? AND name = ?");
    row.bindAll(organizationId, name);
    if (!row.step()) return std::nullopt;
    return row.text(0);
}

void put(Connection& db, const std::string& organizationId, const std::string& name, const std::string& value,
         TimePoint now) {
    db.cached(
          "INSERT OR REPLACE INTO org_integration (organization_id, name, value, updated_at) VALUES (?, ?, "
          "?, ?)")
        .bindAll(organizationId, name, value, formatTimestampMillis(now))
        .run();
}

void remove(Connection& db, const std::string& organizationId, const std::string& name) {
    db.cached("DELETE FROM org_integration WHERE organization_id = ? AND name = ?")
        .bindAll(organizationId, name)
        .run();
}

}  // namespace zelvorin::service::orgintegrations
