#include "service/store/AuditLog.h"

#include "persistence/ScalarStatements.h"
#include "service/store/RecordBatch.h"

namespace zelvorin::service::auditlog {

std::int64_t append(Connection& db, const AuditEntry& entry) {
    RecordBatch::flushOpen(db);  // entries stay in the order of the changes they follow
    db.cached(
          "INSERT INTO audit_entry (organization_id, at, source, user_id, device_id, action, entity_type, "
          "entity_id, sequence, revision, details_json, ip_address) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
          "?)")
        .bindAll(entry.organizationId, entry.at, entry.source, entry.userId, entry.deviceId, entry.action,
                 entry.entityType, entry.entityId, entry.sequence, entry.revision, entry.detailsJson,
                 entry.ipAddress)
        .run();
    return db.lastInsertRowid();
}

namespace {

constexpr const char* kSelect =
    "SELECT a.id, a.organization_id, a.at, a.source, a.user_id, a.device_id, a.action, a.entity_type, "
    "a.entity_id, a.sequence, a.revision, a.details_json, a.ip_address, u.name, u.email "
    "FROM audit_entry a LEFT JOIN user_account u ON u.id = a.user_id ";

std::vector<AuditEntry> entriesOf(Statement& rows) {
    std::vector<AuditEntry> entries;
    while (rows.step()) {
        entries.push_back({rows.int64(0), rows.text(1), rows.text(2), rows.text(3), rows.optionalText(4),
                           rows.optionalText(5), rows.text(6), rows.text(7), rows.text(8),
                           rows.optionalInt64(9), rows.optionalInt64(10), rows.optionalText(11),
                           rows.optionalText(12), rows.optionalText(13), rows.optionalText(14)});
    }
    return entries;
}

}  // namespace

std::vector<AuditEntry> newest(Connection& db, const std::string& organizationId, int limit, int offset) {
    Statement& rows =
        db.cached(std::string(kSelect) + "WHERE a.organization_id = ? ORDER BY a.id DESC LIMIT ? OFFSET ?");
    rows.bindAll(organizationId, limit, offset);
    return entriesOf(rows);
}

std::vector<AuditEntry> newestOfUser(Connection& db, const std::string& organizationId,
                                     const std::string& userId, int limit) {
    Statement& rows = db.cached(std::string(kSelect) +
                                "WHERE a.organization_id = ? AND a.user_id = ? ORDER BY a.id DESC LIMIT ?");
    rows.bindAll(organizationId, userId, limit);
    return entriesOf(rows);
}

std::int64_t count(Connection& db, const std::string& organizationId) {
    return countRows(db, "SELECT count(*) FROM audit_entry WHERE organization_id = ?", organizationId);
}

std::int64_t lastId(Connection& db) {
    return countRows(db, "SELECT coalesce(max(id), 0) FROM audit_entry");
}

}  // namespace zelvorin::service::auditlog
