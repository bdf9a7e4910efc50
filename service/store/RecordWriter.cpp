#include "service/store/RecordWriter.h"

#include <cassert>

#include "domain/JsonNesting.h"
#include "domain/Timestamps.h"
#include "layout/LayoutJson.h"
#include "persistence/sqlite/Connection.h"
#include "service/http/ServiceError.h"
#include "service/store/AuditLog.h"
#include "service/store/RecordBatch.h"
#include "service/store/RequestAudit.h"
#include "sync/PayloadValidator.h"

namespace zelvorin::service {

namespace {

// A template's layout travels as text inside the record, out of reach of the body's own depth
// check; every device that syncs the template reads it, so one nested beyond what the layout
// reads is refused here, where it would enter.
void refuseHostileTemplateConfig(SyncEntityType type, const nlohmann::ordered_json& payload) {
    if (type != SyncEntityType::invoiceTemplate) return;
    const auto config = payload.find("config");
    if (config == payload.end() || !config->is_string()) return;
    if (jsonNestingDepth(config->get_ref<const std::string&>(), kMaxLayoutJsonDepth) > kMaxLayoutJsonDepth)
        throw ServiceError(ErrorKind::unprocessable, "De opmaak van het sjabloon is dieper genest dan " +
                                                         std::to_string(kMaxLayoutJsonDepth) + " niveaus.");
}

using Json = nlohmann::ordered_json;

const char* sourceText(ChangeSource source) {
    switch (source) {
        case ChangeSource::push:
            return "push";
        case ChangeSource::route:
            return "route";
        case ChangeSource::seed:
            return "seed";
        case ChangeSource::admin:
            return "admin";
        case ChangeSource::service:
            return "service";
    }
    return "service";
}

struct Existing {
    std::int64_t revision = 0;
    bool deleted = false;
};

std::optional<Existing> existing(Connection& db, const RecordChange& change, const std::string& type) {
    Statement& row = db.cached(
        "SELECT revision, deleted FROM record WHERE organization_id = ? AND entity_type = ? AND id = ?");
    row.bindAll(change.organizationId, type, change.id);
    if (!row.step()) return std::nullopt;
    return Existing{row.int64(0), row.int64(1) != 0};
}

[[noreturn]] void missing() {
    throw ServiceError(ErrorKind::notFound, "Record niet gevonden.");
}

AuditEntry auditEntryOf(const StoredRecord& stored, const Actor& actor, const char* action) {
    return {0,
            stored.organizationId,
            stored.changedAt,
            sourceText(actor.source),
            actor.userId,
            actor.deviceId,
            action,
            stored.entityType,
            stored.id,
            stored.sequence,
            stored.revision,
            std::nullopt,
            std::nullopt,
            std::nullopt,
            std::nullopt};
}

}  // namespace

StoredRecord writeRecord(Connection& db, RecordChange change) {
    assert(db.inTransaction() && "a record is written on a write transaction of its caller");
    // A batch takes plain puts; a tombstone reads the record and a keyed change must meet the
    // idempotency index at once, so they write what the batch holds first and go one by one.
    RecordBatch* batch = change.operation == RecordOperation::put && !change.idempotencyKey
                             ? RecordBatch::openOn(db)
                             : nullptr;
    if (!batch) RecordBatch::flushOpen(db);
    const std::string type(rawValue(change.entityType));
    std::optional<Existing> before;
    if (const auto pending = batch ? batch->pendingState(type, change.id) : std::nullopt)
        before = Existing{pending->revision, pending->deleted};
    else
        before = existing(db, change, type);

    StoredRecord stored;
    stored.organizationId = std::move(change.organizationId);
    stored.entityType = type;
    stored.id = std::move(change.id);
    stored.changedAt = formatTimestampMillis(change.at);
    const char* operation = before ? "update" : "create";
    const char* action = operation;
    switch (change.operation) {
        case RecordOperation::put:
            stored.revision = before ? before->revision + 1 : 1;
            stored.payload = std::move(change.payload);
            break;
        case RecordOperation::remove:
            if (!before) missing();
            stored.revision = before->revision + 1;
            stored.payload = records::find(db, stored.organizationId, type, stored.id)->payload;
            stored.payload["deletedAt"] = stored.changedAt;
            stored.deleted = true;
            operation = action = "delete";
            break;
        case RecordOperation::restate:
            if (!before || before->deleted) missing();
            stored.revision = before->revision;
            stored.payload = std::move(change.payload);
            action = "restate";
            break;
    }
    stored.payload["revision"] = stored.revision;
    stored.payload["serverModifiedAt"] = stored.changedAt;
    if (const auto id = stored.payload.find("id"); id != stored.payload.end() && *id != stored.id) {
        throw ServiceError(ErrorKind::unprocessable, "Het id in de payload is niet het id van het record.");
    }
    refuseHostileTemplateConfig(change.entityType, stored.payload);
    if (const std::optional<PayloadViolation> violation =
            validatePayload(change.entityType, stored.payload)) {
        throw ServiceError(ErrorKind::unprocessable,
                           "De payload past niet bij " + type + ": " + violation->message() + ".");
    }

    if (batch) {
        stored.sequence = batch->nextSequence();
        RecordBatch::Pending pending{stored.organizationId,
                                     type,
                                     stored.id,
                                     operation,
                                     stored.revision,
                                     stored.deleted,
                                     stored.sequence,
                                     stored.changedAt,
                                     change.actor.deviceId,
                                     stored.payload.dump(),
                                     std::nullopt};
        if (!RequestAudit::coversRecordChange(stored.organizationId, type, stored.id, stored.sequence,
                                              stored.revision))
            pending.audit = auditEntryOf(stored, change.actor, action);
        batch->add(std::move(pending));
        return stored;
    }
    db.cached(
          "INSERT INTO change_log (organization_id, entity_type, entity_id, operation, revision, changed_at, "
          "device_id, idempotency_key) VALUES (?, ?, ?, ?, ?, ?, ?, ?)")
        .bindAll(stored.organizationId, type, stored.id, operation, stored.revision, stored.changedAt,
                 change.actor.deviceId, change.idempotencyKey)
        .run();
    stored.sequence = db.lastInsertRowid();
    db.cached(
          "INSERT INTO record (organization_id, entity_type, id, revision, deleted, last_sequence, "
          "changed_at, "
          "payload) VALUES (?, ?, ?, ?, ?, ?, ?, ?) "
          "ON CONFLICT (organization_id, entity_type, id) DO UPDATE SET revision = excluded.revision, "
          "deleted = excluded.deleted, last_sequence = excluded.last_sequence, "
          "changed_at = excluded.changed_at, payload = excluded.payload")
        .bindAll(stored.organizationId, type, stored.id, stored.revision, stored.deleted, stored.sequence,
                 stored.changedAt, stored.payload.dump())
        .run();
    if (!RequestAudit::coversRecordChange(stored.organizationId, type, stored.id, stored.sequence,
                                          stored.revision)) {
        auditlog::append(db, auditEntryOf(stored, change.actor, action));
    }
    return stored;
}

}  // namespace zelvorin::service
