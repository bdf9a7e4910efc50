#include "service/store/Records.h"

#include <algorithm>

#include "persistence/sqlite/Connection.h"
#include "service/store/RecordBatch.h"

namespace zelvorin::service::records {

namespace {

constexpr const char* kRecordColumns =
    "SELECT organization_id, entity_type, id, revision, deleted, last_sequence, changed_at, payload FROM "
    "record ";

StoredRecord readRecord(const Statement& row) {
    StoredRecord record;
    record.organizationId = row.text(0);
    record.entityType = row.text(1);
    record.id = row.text(2);
    record.revision = row.int64(3);
    record.deleted = row.int64(4) != 0;
    record.sequence = row.int64(5);
    record.changedAt = row.text(6);
    record.payload = nlohmann::ordered_json::parse(row.text(7));
    return record;
}

std::vector<StoredRecord> readAll(Statement& rows) {
    std::vector<StoredRecord> result;
    while (rows.step())
        result.push_back(readRecord(rows));
    return result;
}

}  // namespace

std::optional<StoredRecord> find(Connection& db, const std::string& organizationId,
                                 const std::string& entityType, const std::string& id) {
    RecordBatch::flushOpen(db);
    Statement& row =
        db.cached(std::string(kRecordColumns) + "WHERE organization_id = ? AND entity_type = ? AND id = ?");
    row.bindAll(organizationId, entityType, id);
    if (!row.step()) return std::nullopt;
    return readRecord(row);
}

std::vector<StoredRecord> withMember(Connection& db, const std::string& organizationId,
                                     const std::string& entityType, const std::string& key,
                                     const std::string& value) {
    RecordBatch::flushOpen(db);
    Statement& rows = db.cached(std::string(kRecordColumns) +
                                "WHERE organization_id = ? AND entity_type = ? AND deleted = 0 AND "
                                "json_extract(payload, ?) = ? ORDER BY last_sequence");
    rows.bindAll(organizationId, entityType, "$." + key, value);
    return readAll(rows);
}

std::vector<StoredRecord> ofInvoice(Connection& db, const std::string& organizationId,
                                    const std::string& entityType, const std::string& invoiceId) {
    RecordBatch::flushOpen(db);
    // The expression is written as the index idx_record_invoice has it, so the planner uses it.
    Statement& rows =
        db.cached(std::string(kRecordColumns) +
                  "WHERE organization_id = ? AND entity_type = ? AND "
                  "json_extract(payload, '$.invoiceId') = ? AND deleted = 0 ORDER BY last_sequence");
    rows.bindAll(organizationId, entityType, invoiceId);
    return readAll(rows);
}

std::vector<StoredRecord> all(Connection& db, const std::string& organizationId,
                              const std::optional<std::string>& entityType) {
    RecordBatch::flushOpen(db);
    Statement& rows = db.cached(std::string(kRecordColumns) +
                                "WHERE organization_id = ?1 AND (?2 IS NULL OR entity_type = ?2) "
                                "ORDER BY last_sequence");
    rows.bindAll(organizationId, entityType);
    return readAll(rows);
}

std::vector<PulledRecord> changedAfter(Connection& db, const std::string& organizationId,
                                       std::int64_t afterSequence, int limit,
                                       const std::vector<std::string>& entityTypes) {
    RecordBatch::flushOpen(db);
    Statement& rows = db.cached(
        "SELECT r.entity_type, r.id, c.operation, r.revision, r.last_sequence, r.changed_at, r.payload "
        "FROM record r JOIN change_log c ON c.sequence = r.last_sequence "
        "WHERE r.organization_id = ?1 AND r.last_sequence > ?2 "
        "AND (?3 IS NULL OR r.entity_type IN (SELECT value FROM json_each(?3))) "
        "ORDER BY r.last_sequence LIMIT ?4");
    rows.bindAll(organizationId, afterSequence,
                 entityTypes.empty() ? std::optional<std::string>()
                                     : std::optional(nlohmann::json(entityTypes).dump()),
                 limit);
    std::vector<PulledRecord> result;
    result.reserve(static_cast<std::size_t>(std::max(limit, 0)));
    while (rows.step()) {
        result.push_back({rows.text(0), rows.text(1), rows.text(2), rows.int64(3), rows.int64(4),
                          rows.text(5), rows.text(6)});
    }
    return result;
}

std::int64_t lastSequence(Connection& db) {
    RecordBatch::flushOpen(db);
    // sqlite_sequence remembers the highest sequence ever handed out, even past deleted log rows.
    Statement& row = db.cached("SELECT seq FROM sqlite_sequence WHERE name = 'change_log'");
    return row.step() ? row.int64(0) : 0;
}

}  // namespace zelvorin::service::records
