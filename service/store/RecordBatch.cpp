#include "service/store/RecordBatch.h"

#include <cassert>

#include "persistence/sqlite/Connection.h"

namespace zelvorin::service {

namespace {

thread_local RecordBatch* current = nullptr;

std::string keyOf(const std::string& entityType, const std::string& id) {
    return entityType + '\x1f' + id;
}

// "INSERT ... VALUES (?, ?), (?, ?) ..." for `rows` rows of `columns` values.
std::string insertSql(const char* head, int columns, std::size_t rows, const char* tail) {
    std::string row = "(";
    for (int c = 0; c < columns; ++c)
        row += c == 0 ? "?" : ", ?";
    row += ")";
    std::string sql = head;
    for (std::size_t r = 0; r < rows; ++r)
        sql += (r == 0 ? " VALUES " : ", ") + row;
    return sql + tail;
}

// Inserts `rows` with as few statements as the cached sizes allow (100, 10, 1 rows each), so a
// handful of prepared statements serve any count. `bind(statement, firstIndex, row)` binds one row.
template <class Row, class Bind>
void insertRows(Connection& db, const std::vector<const Row*>& rows, const char* head, int columns,
                const char* tail, Bind bind) {
    std::size_t at = 0;
    for (const std::size_t size : {std::size_t{100}, std::size_t{10}, std::size_t{1}}) {
        if (rows.size() - at < size) continue;
        const std::string sql = insertSql(head, columns, size, tail);
        while (rows.size() - at >= size) {
            Statement& statement = db.cached(sql);
            for (std::size_t r = 0; r < size; ++r)
                bind(statement, static_cast<int>(r) * columns + 1, *rows[at + r]);
            statement.run();
            at += size;
        }
    }
}

}  // namespace

RecordBatch::RecordBatch(Connection& db) : db_(db), outer_(current) {
    assert(db.inTransaction() && "a batch writes on a write transaction of its caller");
    flushOpen(db);  // an outer batch on the same connection goes first, in sequence order
    current = this;
}

RecordBatch::~RecordBatch() {
    current = outer_;
}

RecordBatch* RecordBatch::openOn(Connection& db) {
    return current != nullptr && &current->db_ == &db ? current : nullptr;
}

void RecordBatch::flushOpen(Connection& db) {
    if (RecordBatch* batch = openOn(db)) batch->flush();
}

std::optional<RecordBatch::Known> RecordBatch::pendingState(const std::string& entityType,
                                                            const std::string& id) const {
    const auto found = known_.find(keyOf(entityType, id));
    if (found == known_.end()) return std::nullopt;
    return found->second;
}

std::int64_t RecordBatch::nextSequence() {
    if (lastSequence_ < 0) {
        // sqlite_sequence holds the highest sequence ever handed out; an explicit sequence above it
        // moves it on, so the counter stays right for the writes that follow the batch.
        Statement& row = db_.cached("SELECT seq FROM sqlite_sequence WHERE name = 'change_log'");
        lastSequence_ = row.step() ? row.int64(0) : 0;
    }
    return ++lastSequence_;
}

void RecordBatch::add(Pending change) {
    known_[keyOf(change.entityType, change.id)] = Known{change.revision, change.deleted};
    pending_.push_back(std::move(change));
}

void RecordBatch::flush() {
    if (pending_.empty()) return;
    std::vector<const Pending*> changes;
    std::vector<const Pending*> newest;  // each record once, in the form of its last change
    std::vector<const AuditEntry*> audits;
    std::unordered_map<std::string, std::size_t> last;
    changes.reserve(pending_.size());
    for (std::size_t i = 0; i < pending_.size(); ++i) {
        changes.push_back(&pending_[i]);
        last[keyOf(pending_[i].entityType, pending_[i].id)] = i;
        if (pending_[i].audit) audits.push_back(&*pending_[i].audit);
    }
    for (std::size_t i = 0; i < pending_.size(); ++i)
        if (last[keyOf(pending_[i].entityType, pending_[i].id)] == i) newest.push_back(&pending_[i]);

    // The change log first: records and audit entries refer to its sequences.
    insertRows(db_, changes,
               "INSERT INTO change_log (sequence, organization_id, entity_type, entity_id, operation, "
               "revision, changed_at, device_id)",
               8, "", [](Statement& s, int i, const Pending& c) {
                   s.bind(i, c.sequence)
                       .bind(i + 1, c.organizationId)
                       .bind(i + 2, c.entityType)
                       .bind(i + 3, c.id)
                       .bind(i + 4, c.operation)
                       .bind(i + 5, c.revision)
                       .bind(i + 6, c.changedAt)
                       .bind(i + 7, c.deviceId);
               });
    insertRows(db_, newest,
               "INSERT INTO record (organization_id, entity_type, id, revision, deleted, last_sequence, "
               "changed_at, payload)",
               8,
               " ON CONFLICT (organization_id, entity_type, id) DO UPDATE SET revision = excluded.revision, "
               "deleted = excluded.deleted, last_sequence = excluded.last_sequence, "
               "changed_at = excluded.changed_at, payload = excluded.payload",
               [](Statement& s, int i, const Pending& c) {
                   s.bind(i, c.organizationId)
                       .bind(i + 1, c.entityType)
                       .bind(i + 2, c.id)
                       .bind(i + 3, c.revision)
                       .bind(i + 4, c.deleted)
                       .bind(i + 5, c.sequence)
                       .bind(i + 6, c.changedAt)
                       .bind(i + 7, c.payloadText);
               });
    insertRows(
        db_, audits,
        "INSERT INTO audit_entry (organization_id, at, source, user_id, device_id, action, entity_type, "
        "entity_id, sequence, revision, details_json, ip_address)",
        12, "", [](Statement& s, int i, const AuditEntry& e) {
            s.bind(i, e.organizationId)
                .bind(i + 1, e.at)
                .bind(i + 2, e.source)
                .bind(i + 3, e.userId)
                .bind(i + 4, e.deviceId)
                .bind(i + 5, e.action)
                .bind(i + 6, e.entityType)
                .bind(i + 7, e.entityId)
                .bind(i + 8, e.sequence)
                .bind(i + 9, e.revision)
                .bind(i + 10, e.detailsJson)
                .bind(i + 11, e.ipAddress);
        });
    pending_.clear();
    known_.clear();
    lastSequence_ = -1;
}

}  // namespace zelvorin::service
