#include "persistence/sync/GRDBSyncStore.h"

#include <set>
#include <stdexcept>

#include <sqlite3.h>
#include <nlohmann/json.hpp>

#include "domain/Timestamps.h"
#include "persistence/sqlite/SqliteError.h"
#include "persistence/sync/EntityMapping.h"
#include "persistence/sync/PayloadColumns.h"
#include "persistence/sync/SyncTransitions.h"
#include "sync/SyncLog.h"

namespace zelvorin {
namespace {

std::string joinedRawValues(std::span<const SyncEntityType> types) {
    std::string joined;
    for (const SyncEntityType type : types) {
        if (!joined.empty()) joined += ',';
        joined += rawValue(type);
    }
    return joined;
}

std::set<std::string> splitCovered(const std::string& covered) {
    std::set<std::string> parts;
    std::size_t start = 0;
    while (start <= covered.size()) {
        const std::size_t comma = std::min(covered.find(',', start), covered.size());
        if (comma > start) parts.insert(covered.substr(start, comma - start));
        start = comma + 1;
    }
    return parts;
}

PushChange changeFromOutboxRow(const Statement& row) {
    PushChange change;
    const std::string entityType = row.text("entity_type");
    const std::string operation = row.text("operation");
    const auto type = parseSyncEntityType(entityType);
    const auto op = parseSyncOperation(operation);
    // Only enqueueChange writes the outbox, with raw values it took from the enums.
    if (!type || !op)
        throw std::logic_error("outbox row with entity type '" + entityType + "' / operation '" + operation +
                               "'");
    change.entityType = *type;
    change.entityId = row.text("entity_id");
    change.operation = *op;
    change.clientRevision = row.int64("client_revision");
    change.baseServerRevision = row.optionalInt64("base_server_revision");
    if (const auto fields = row.optionalText("changed_fields")) {
        try {
            change.changedFields = nlohmann::json::parse(*fields).get<std::vector<std::string>>();
        } catch (const nlohmann::json::exception&) {
            change.changedFields.reset();  // an unreadable list is no list
        }
    }
    change.payload = JSONValue::parse(row.text("payload"));  // a bad payload fails the whole batch
    change.clientTimestamp = row.text("client_timestamp");
    change.idempotencyKey = row.text("idempotency_key");
    return change;
}

}  // namespace

GRDBSyncStore::GRDBSyncStore(AppDatabase database, std::shared_ptr<const Clock> clock)
    : database_(std::move(database)), clock_(std::move(clock)) {}

std::vector<PushChange> GRDBSyncStore::pendingChangeBatch(std::size_t maxCount) {
    return database_.writer->read([&](Connection& db) {
        Statement& select =
            db.cached("SELECT * FROM outbox_change ORDER BY created_at, idempotency_key LIMIT ?");
        select.bind(1, static_cast<std::int64_t>(maxCount));
        std::vector<PushChange> batch;
        while (select.step())
            batch.push_back(changeFromOutboxRow(select));
        return batch;
    });
}

void GRDBSyncStore::removeChanges(std::span<const std::string> idempotencyKeys) {
    database_.writer->write([&](Connection& db) {
        for (const std::string& key : idempotencyKeys)
            db.cached("DELETE FROM outbox_change WHERE idempotency_key = ?").bind(1, key).run();
    });
}

void GRDBSyncStore::recordPushFailure(std::span<const std::string> idempotencyKeys,
                                      const std::string& message) {
    database_.writer->write([&](Connection& db) {
        for (const std::string& key : idempotencyKeys) {
            db.cached(
                  "UPDATE outbox_change\nSET attempts = attempts + 1, last_error = ?\nWHERE idempotency_key "
                  "= ?")
                .bindAll(message, key)
                .run();
        }
    });
}

std::int64_t GRDBSyncStore::pendingChangeCount() {
    return database_.writer->read([](Connection& db) {
        Statement& count = db.cached("SELECT COUNT(*) FROM outbox_change");
        return count.step() ? count.int64(0) : 0;
    });
}

void GRDBSyncStore::markAccepted(std::span<const PushAcceptedItem> items) {
    database_.writer->write([&](Connection& db) {
        for (const PushAcceptedItem& item : items) {
            const EntityMapping* mapping = entityMapping(item.entityType);
            if (!mapping) continue;
            Statement& queued =
                db.cached("SELECT COUNT(*) FROM outbox_change\nWHERE entity_type = ? AND entity_id = ?");
            queued.bindAll(rawValue(item.entityType), item.entityId);
            const std::int64_t stillQueued = queued.step() ? queued.int64(0) : 0;
            queued.reset();
            std::string sql;
            if (!mapping->locallyEdited) {
                sql = "UPDATE " + mapping->table +
                      " SET revision = ?, sync_state = " + stateAfterSql(SyncEvent::pushAccepted) +
                      " WHERE id = ?";
            } else if (stillQueued == 0) {
                sql = "UPDATE " + mapping->table +
                      "\nSET revision = ?, sync_state = " + stateAfterSql(SyncEvent::pushAccepted) +
                      ", last_sync_error = NULL\nWHERE id = ?";
            } else {
                // Later edits are still queued: the row stays as it is until the last is accepted.
                sql = "UPDATE " + mapping->table + " SET revision = ? WHERE id = ?";
            }
            db.cached(sql).bindAll(item.serverRevision, item.entityId).run();
        }
    });
}

void GRDBSyncStore::markConflicts(std::span<const PushConflictItem> items) {
    database_.writer->write([&](Connection& db) {
        for (const PushConflictItem& item : items) {
            const EntityMapping* mapping = entityMapping(item.entityType);
            if (!mapping || !mapping->locallyEdited) continue;
            const std::string message =
                item.message.value_or("revision " + std::to_string(item.serverRevision) + " op server");
            db.cached("UPDATE " + mapping->table + "\nSET sync_state = " +
                      stateAfterSql(SyncEvent::pushConflict) + ", last_sync_error = ?\nWHERE id = ?")
                .bindAll(message, item.entityId)
                .run();
        }
    });
}

std::int64_t GRDBSyncStore::conflictCount() {
    return database_.writer->read([](Connection& db) {
        std::int64_t total = 0;
        for (const EntityMapping& mapping : entityMappings()) {
            if (!mapping.locallyEdited) continue;
            Statement& count = db.cached("SELECT COUNT(*) FROM " + mapping.table + " WHERE sync_state = '" +
                                         std::string(rawValue(SyncState::conflict)) + "'");
            if (count.step()) total += count.int64(0);
        }
        return total;
    });
}

const std::string& GRDBSyncStore::upsertStatement(std::size_t mappingIndex, std::uint64_t presentColumns) {
    auto& byShape = upserts_[mappingIndex];
    if (auto it = byShape.find(presentColumns); it != byShape.end()) return it->second;
    const EntityMapping& mapping = entityMappings()[mappingIndex];
    std::vector<std::string> columns;
    for (std::size_t i = 0; i < mapping.columns.size(); ++i) {
        if (presentColumns & (std::uint64_t{1} << i)) columns.push_back(mapping.columns[i].column);
    }
    columns.push_back("revision");
    columns.push_back("sync_state");
    std::string names, placeholders, updates;
    for (const std::string& column : columns) {
        if (!names.empty()) {
            names += ", ";
            placeholders += ", ";
        }
        names += column;
        placeholders += "?";
        if (column == "id") continue;
        if (!updates.empty()) updates += ", ";
        updates += column + " = excluded." + column;
    }
    return byShape
        .emplace(presentColumns, "INSERT INTO " + mapping.table + " (" + names + ")\nVALUES (" +
                                     placeholders + ")\nON CONFLICT(id) DO UPDATE SET " + updates)
        .first->second;
}

void GRDBSyncStore::applyPulledChange(Connection& db, const PullChange& change, std::string_view applied) {
    const EntityMapping* mapping = entityMapping(change.entityType);
    if (!mapping) return;
    if (change.operation == SyncOperation::remove) {
        db.cached("DELETE FROM " + mapping->table + " WHERE id = ?").bind(1, change.entityId).run();
        return;
    }
    std::string state(applied);
    if (mapping->locallyEdited) {
        Statement& stored = db.cached("SELECT sync_state FROM " + mapping->table + " WHERE id = ?");
        stored.bind(1, change.entityId);
        state = stateAfter(stored.step() ? stored.text(0) : std::string(), SyncEvent::pulledChange);
        stored.reset();
        if (state == rawValue(SyncState::conflict)) {
            // A local change is pending: the pulled values are dropped, the local ones kept.
            db.cached("UPDATE " + mapping->table + " SET sync_state = ? WHERE id = ?")
                .bindAll(state, change.entityId)
                .run();
            return;
        }
    }
    const JSONObject* payload = change.payload.asObject();
    if (!payload) throw SqliteError(SQLITE_MISMATCH, "de gegevens zijn geen JSON-object");
    const PayloadColumns values = payloadColumns(*mapping, *payload);
    const std::size_t index = static_cast<std::size_t>(mapping - entityMappings().data());
    Statement& upsert = db.cached(upsertStatement(index, values.present));
    int position = 0;
    for (const SqlValue& value : values.values)
        upsert.bind(++position, value);
    upsert.bind(++position, change.serverRevision);
    upsert.bind(++position, state);
    upsert.run();
}

namespace {

bool unfit(const SqliteError& error) {
    return error.primaryCode() == SQLITE_CONSTRAINT || error.primaryCode() == SQLITE_MISMATCH;
}

std::string quarantineKey(const PullChange& change) {
    return std::string(rawValue(change.entityType)) + "/" + change.entityId;
}

bool anySetAside(Connection& db) {
    Statement& exists = db.cached("SELECT EXISTS (SELECT 1 FROM sync_quarantine)");
    const bool any = exists.step() && exists.int64(0) != 0;
    exists.reset();
    return any;
}

}  // namespace

void GRDBSyncStore::applyPulledChanges(std::span<const PullChange> changes,
                                       const std::optional<std::string>& nextCursor) {
    const std::string pulledAt = formatTimestampSeconds(clock_->now());
    // A server-owned row is synced whether it is new or not; a locally edited one is looked at.
    const std::string_view applied = rawValue(requireSyncTransition(std::nullopt, SyncEvent::pulledChange));
    const auto storeCursor = [&](Connection& db) {
        db.cached(
              "INSERT INTO sync_cursor (id, device_id, cursor_token, last_pulled_at)\nVALUES (1, '', ?, ?)\n"
              "ON CONFLICT(id) DO UPDATE SET\n    cursor_token = excluded.cursor_token,\n"
              "    last_pulled_at = excluded.last_pulled_at")
            .bindAll(nextCursor, pulledAt)
            .run();
    };
    try {
        database_.writer->write([&](Connection& db) {
            for (const PullChange& change : changes)
                applyPulledChange(db, change, applied);
            // Records set aside before and now applied whole leave the quarantine.
            if (anySetAside(db))
                for (const PullChange& change : changes)
                    db.cached("DELETE FROM sync_quarantine WHERE id = ?")
                        .bind(1, quarantineKey(change))
                        .run();
            storeCursor(db);
        });
        return;
    } catch (const SqliteError& error) {
        if (!unfit(error)) throw;
    }
    // A record that does not fit its table (a required field missing, a value its column refuses)
    // would fail this page on every pull for good. Apply the page again change by change: what
    // does not fit is set aside with its reason, the rest lands, and the cursor moves on.
    syncLog().warn("Pull-pagina bevat records die niet passen; die worden apart gezet");
    database_.writer->write([&](Connection& db) {
        for (const PullChange& change : changes) {
            db.exec("SAVEPOINT pulled_change");
            try {
                applyPulledChange(db, change, applied);
                db.exec("RELEASE pulled_change");
                db.cached("DELETE FROM sync_quarantine WHERE id = ?").bind(1, quarantineKey(change)).run();
            } catch (const SqliteError& error) {
                if (!unfit(error)) throw;
                db.exec("ROLLBACK TO pulled_change");
                db.exec("RELEASE pulled_change");
                syncLog().error("Record {} apart gezet: {}", quarantineKey(change), error.what());
                db.cached(
                      "INSERT OR REPLACE INTO sync_quarantine\n(id, entity_type, entity_id, server_revision, "
                      "payload, reason, quarantined_at)\nVALUES (?, ?, ?, ?, ?, ?, ?)")
                    .bindAll(quarantineKey(change), std::string(rawValue(change.entityType)), change.entityId,
                             change.serverRevision, change.payload.dump(), std::string(error.what()),
                             pulledAt)
                    .run();
            }
        }
        storeCursor(db);
    });
}

std::int64_t GRDBSyncStore::quarantinedCount() {
    return database_.writer->read([](Connection& db) {
        Statement& count = db.cached("SELECT COUNT(*) FROM sync_quarantine");
        const std::int64_t total = count.step() ? count.int64(0) : 0;
        count.reset();
        return total;
    });
}

std::optional<std::string> GRDBSyncStore::currentCursor() {
    return database_.writer->read([](Connection& db) -> std::optional<std::string> {
        Statement& select = db.cached("SELECT cursor_token FROM sync_cursor WHERE id = 1");
        return select.step() ? select.optionalText(0) : std::nullopt;
    });
}

std::optional<std::string> GRDBSyncStore::organization() {
    return database_.writer->read([](Connection& db) -> std::optional<std::string> {
        Statement& select = db.cached("SELECT organization_id FROM sync_cursor WHERE id = 1");
        return select.step() ? select.optionalText(0) : std::nullopt;
    });
}

void GRDBSyncStore::bindOrganization(const std::string& organizationId) {
    database_.writer->write([&](Connection& db) {
        db.cached(
              "INSERT INTO sync_cursor (id, device_id, organization_id) VALUES (1, '', ?)\n"
              "ON CONFLICT(id) DO UPDATE SET organization_id = excluded.organization_id\n"
              "WHERE sync_cursor.organization_id IS NULL")
            .bind(1, organizationId)
            .run();
    });
}

void GRDBSyncStore::prepareCoverage(std::span<const SyncEntityType> entityTypes) {
    const std::string joined = joinedRawValues(entityTypes);
    std::set<std::string> requested;
    for (const SyncEntityType type : entityTypes)
        requested.emplace(rawValue(type));
    database_.writer->write([&](Connection& db) {
        Statement& row = db.cached("SELECT covered_entity_types, cursor_token FROM sync_cursor WHERE id = 1");
        const bool exists = row.step();
        const std::set<std::string> covered =
            exists ? splitCovered(row.optionalText(0).value_or("")) : std::set<std::string>{};
        const bool hasCursor = exists && !row.isNull(1);
        row.reset();
        bool newType = false;
        for (const std::string& type : requested)
            newType = newType || !covered.contains(type);
        if (newType && hasCursor) {
            // A kind the cursor never covered: start the next pull from the beginning to fetch it.
            db.cached("UPDATE sync_cursor\nSET cursor_token = NULL, covered_entity_types = ?\nWHERE id = 1")
                .bind(1, joined)
                .run();
        } else if (covered != requested && exists) {
            db.cached("UPDATE sync_cursor SET covered_entity_types = ? WHERE id = 1").bind(1, joined).run();
        }
    });
}

void GRDBSyncStore::enqueueChange(Connection& transaction, const PushChange& change, const Clock& clock) {
    std::optional<std::string> changedFields;
    if (change.changedFields) changedFields = nlohmann::json(*change.changedFields).dump();
    transaction
        .cached(
            "INSERT OR REPLACE INTO outbox_change\n(idempotency_key, entity_type, entity_id, operation, "
            "client_revision,\n base_server_revision, changed_fields, payload, client_timestamp, "
            "created_at)\nVALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
        .bindAll(change.idempotencyKey, rawValue(change.entityType), change.entityId,
                 rawValue(change.operation), change.clientRevision, change.baseServerRevision, changedFields,
                 change.payload.dump(), change.clientTimestamp, formatTimestampMillis(clock.now()))
        .run();
}

}  // namespace zelvorin
