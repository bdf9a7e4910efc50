#include "persistence/repositories/LocalEdit.h"

#include <stdexcept>

#include "domain/Timestamps.h"
#include "domain/Uuid.h"
#include "persistence/Schema.h"
#include "persistence/sync/GRDBSyncStore.h"
#include "persistence/sync/SyncTransitions.h"
#include "sync/PayloadCatalogue.h"

namespace zelvorin {
namespace {

JSONValue jsonOf(const SqlValue& value, FieldKind kind) {
    if (std::holds_alternative<std::monostate>(value)) return nullptr;
    if (const auto* number = std::get_if<std::int64_t>(&value)) {
        if (kind == FieldKind::boolean || kind == FieldKind::optionalBoolean) return *number != 0;
        return *number;
    }
    if (const auto* real = std::get_if<double>(&value)) return *real;
    return std::get<std::string>(value);
}

}  // namespace

JSONValue LocalEdit::payloadOf(std::string_view table, const ColumnValues& values, EditedFields::Keys keys) {
    const TableDescription* description = Schema::shared().table(table);
    const auto type = description ? parseSyncEntityType(description->entityType) : std::nullopt;
    if (!type) throw std::logic_error("no payload for table " + std::string(table));
    const PayloadShape& shape = payloadShape(*type);
    JSONObject payload;
    for (const std::string_view key : keys) {
        if (!shape.field(key))
            throw std::logic_error(std::string(shape.name) + " has no member " + std::string(key));
        const ColumnDescription* column = nullptr;
        for (const ColumnDescription& c : description->columns) {
            if (c.fieldName == key) column = &c;
        }
        if (!column) throw std::logic_error("no column for payload key " + std::string(key));
        JSONValue value = nullptr;
        for (const auto& [name, stored] : values) {
            if (name == column->name) value = jsonOf(stored, column->kind);
        }
        payload.appendUnique(std::string(key), std::move(value));
    }
    return payload;
}

std::string LocalEdit::now() const {
    return formatTimestampMillis(clock_.now());
}

std::string LocalEdit::stateAfterUpdate(std::string_view currentState) {
    return stateAfter(currentState, SyncEvent::localUpdate);
}

void LocalEdit::queue(PushChange change) {
    change.clientTimestamp = now();
    change.idempotencyKey = randomUuid();
    GRDBSyncStore::enqueueChange(db_, change, clock_);
}

void LocalEdit::queueCreate(SyncEntityType type, const std::string& id, JSONValue payload) {
    queue({type, id, SyncOperation::create, 1, std::nullopt, std::nullopt, std::move(payload), {}, {}});
}

void LocalEdit::queueUpdate(SyncEntityType type, const std::string& id, std::int64_t revision,
                            JSONValue payload, std::vector<std::string> changedFields) {
    queue({type,
           id,
           SyncOperation::update,
           revision + 1,
           revision,
           std::move(changedFields),
           std::move(payload),
           {},
           {}});
}

void LocalEdit::queueOverwrite(SyncEntityType type, const std::string& id, std::int64_t revision,
                               JSONValue payload) {
    queue({type,
           id,
           SyncOperation::update,
           revision + 1,
           std::nullopt,
           std::nullopt,
           std::move(payload),
           {},
           {}});
}

bool LocalEdit::tombstone(SyncEntityType type, std::string_view table, const std::string& id) {
    Statement& revision = db_.cached("SELECT revision FROM " + std::string(table) + " WHERE id = ?");
    revision.bind(1, id);
    if (!revision.step()) return false;
    const std::int64_t current = revision.int64(0);
    revision.reset();
    const std::string stamp = now();
    db_.cached("UPDATE " + std::string(table) + " SET deleted_at = ?, local_modified_at = ?, sync_state = " +
               stateAfterSql(SyncEvent::localDelete) + " WHERE id = ?")
        .bindAll(stamp, stamp, id)
        .run();
    queue({type, id, SyncOperation::remove, current + 1, current, std::nullopt, JSONValue::object(), {}, {}});
    return true;
}

}  // namespace zelvorin
