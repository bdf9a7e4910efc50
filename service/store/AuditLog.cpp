#include "service/store/AuditLog.h"

#include "persistence/sqlite/Connection.h"

namespace zelvorin::service::auditlog {

std::vector<AuditEntry> newest(Connection& db, const std::string& organizationId, int limit, int offset) {
    Statement& rows = db.cached(
        "SELECT sequence, at, source, user_id, device_id, action, entity_type, entity_id, revision "
        "FROM audit_entry WHERE organization_id = ? ORDER BY sequence DESC LIMIT ? OFFSET ?");
    rows.bindAll(organizationId, limit, offset);
    std::vector<AuditEntry> entries;
    while (rows.step()) {
        entries.push_back({rows.int64(0), rows.text(1), rows.text(2), rows.optionalText(3),
                           rows.optionalText(4), rows.text(5), rows.text(6), rows.text(7), rows.int64(8)});
    }
    return entries;
}

}  // namespace zelvorin::service::auditlog
