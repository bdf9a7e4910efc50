#include "service/sync/SyncPush.h"

#include <utility>

#include "service/http/ServiceError.h"
#include "service/invoices/ReceivedContentGuard.h"
#include "service/store/PushReceipts.h"
#include "service/store/RecordWriter.h"
#include "service/store/ServiceDatabase.h"
#include "service/sync/InvoiceTotals.h"
#include "sync/PushResponse.h"

namespace zelvorin::service {

namespace {

using Json = nlohmann::ordered_json;

PushReceipt accepted(const PushChange& change, std::int64_t revision) {
    return {"accepted", toJson(PushAcceptedItem{change.entityType, change.entityId, revision})};
}

PushReceipt conflict(const PushChange& change, std::int64_t revision, std::string message) {
    return {"conflicts",
            toJson(PushConflictItem{change.entityType, change.entityId, revision, std::move(message)})};
}

PushReceipt error(const PushChange& change, std::string message) {
    return {"errors", toJson(PushErrorItem{change.entityId, std::move(message)})};
}

class BatchApplier {
public:
    BatchApplier(Connection& db, const Caller& caller, TimePoint now)
        : db_(db),
          organizationId_(caller.organizationId),
          actor_{ChangeSource::push, caller.userId, caller.deviceId},
          now_(now) {}

    // An invoice's totals follow its lines on the service too.
    PushReceipt apply(const PushChange& change) {
        std::optional<StoredRecord> written;
        PushReceipt receipt = applyChange(change, written);
        if (!written) return receipt;
        if (change.entityType == SyncEntityType::draftInvoice) {
            restateInvoiceTotals(db_, organizationId_, change.entityId, now_, actor_);
        } else if (change.entityType == SyncEntityType::invoiceLine) {
            const auto invoiceId = written->payload.find("invoiceId");
            if (invoiceId != written->payload.end() && invoiceId->is_string())
                restateInvoiceTotals(db_, organizationId_, invoiceId->get<std::string>(), now_, actor_);
        }
        return receipt;
    }

private:
    PushReceipt applyChange(const PushChange& change, std::optional<StoredRecord>& written) {
        const std::string type(rawValue(change.entityType));
        const std::optional<StoredRecord> existing =
            records::find(db_, organizationId_, type, change.entityId);
        if (change.operation == SyncOperation::create) return create(change, existing, written);
        if (!existing) return error(change, "Onbekend record: de server kent dit record niet.");
        if (change.baseServerRevision && *change.baseServerRevision != existing->revision) {
            return conflict(change, existing->revision,
                            "Het record is op de server gewijzigd (revisie " +
                                std::to_string(existing->revision) +
                                "); deze wijziging gaat uit van revisie " +
                                std::to_string(*change.baseServerRevision) + ".");
        }
        if (change.operation == SyncOperation::remove) {
            if (existing->deleted) return accepted(change, existing->revision);
            if (auto refusal = receivedContentRefusal(db_, organizationId_, change, existing, nullptr))
                return error(change, std::move(*refusal));
            return write(change, RecordOperation::remove, Json(), written);
        }
        if (existing->deleted)
            return conflict(change, existing->revision, "Het record is op de server verwijderd.");
        const Json* members = objectPayload(change);
        if (!members) return error(change, "De payload van een update moet een object zijn.");
        if (auto refusal = receivedContentRefusal(db_, organizationId_, change, existing, members))
            return error(change, std::move(*refusal));
        Json merged = existing->payload;
        for (const auto& [key, value] : members->items()) {
            if (value.is_null()) {
                merged.erase(key);  // a cleared field
            } else {
                merged[key] = value;
            }
        }
        return write(change, RecordOperation::put, std::move(merged), written);
    }

    PushReceipt create(const PushChange& change, const std::optional<StoredRecord>& existing,
                       std::optional<StoredRecord>& written) {
        if (existing && !existing->deleted) {
            return conflict(change, existing->revision,
                            "Er bestaat op de server al een record met dit id (revisie " +
                                std::to_string(existing->revision) + ").");
        }
        const Json* members = objectPayload(change);
        if (!members) return error(change, "De payload van een nieuw record moet een object zijn.");
        if (auto refusal = receivedContentRefusal(db_, organizationId_, change, existing, members))
            return error(change, std::move(*refusal));
        // A device sends what the user entered; who the record belongs to and when it was made
        // are known here. Fields left empty come as null and are simply not stored.
        Json payload = Json::object();
        for (const auto& [key, value] : members->items()) {
            if (!value.is_null() && key != "deletedAt") payload[key] = value;
        }
        if (!payload.contains("id")) payload["id"] = change.entityId;
        if (change.entityType == SyncEntityType::draftInvoice) fillNewInvoiceDefaults(payload);
        if (!payload.contains("organizationId")) payload["organizationId"] = organizationId_;
        for (const char* stamp : {"createdAt", "updatedAt"}) {
            if (!payload.contains(stamp)) payload[stamp] = change.clientTimestamp;
        }
        return write(change, RecordOperation::put, std::move(payload), written);
    }

    const Json* objectPayload(const PushChange& change) {
        payloadJson_ = change.payload.toJson();
        return payloadJson_.is_object() ? &payloadJson_ : nullptr;
    }

    // The whole record as the service will hold it must fit its entity (the record writer checks
    // that before it writes anything); a misfit is the change's error, not the batch's.
    PushReceipt write(const PushChange& change, RecordOperation operation, Json payload,
                      std::optional<StoredRecord>& written) {
        if (const auto owner = payload.find("organizationId");
            owner != payload.end() && owner->is_string() && *owner != organizationId_) {
            return error(change, "organizationId hoort bij een andere organisatie.");
        }
        if (const auto id = payload.find("id");
            id != payload.end() && id->is_string() && *id != change.entityId)
            return error(change, "Het id in de payload is niet het entityId van de wijziging.");
        try {
            written =
                writeRecord(db_, RecordChange{organizationId_, change.entityType, change.entityId, operation,
                                              std::move(payload), now_, actor_, change.idempotencyKey});
        } catch (const ServiceError& refused) {
            if (refused.kind() != ErrorKind::unprocessable) throw;
            return error(change, refused.what());
        }
        return accepted(change, written->revision);
    }

    Connection& db_;
    std::string organizationId_;
    Actor actor_;
    TimePoint now_;
    Json payloadJson_;
};

}  // namespace

nlohmann::ordered_json applyPush(const ServiceDatabase& database, const Caller& caller,
                                 const PushRequest& request, TimePoint now) {
    Json body{{"accepted", Json::array()}, {"conflicts", Json::array()}, {"errors", Json::array()}};
    database.write([&](Connection& db) {
        BatchApplier applier(db, caller, now);
        for (const PushChange& change : request.changes) {
            std::optional<PushReceipt> receipt =
                pushreceipts::find(db, caller.organizationId, change.idempotencyKey);
            if (!receipt) {
                receipt = applier.apply(change);
                pushreceipts::save(db, caller.organizationId, change.idempotencyKey, *receipt);
            }
            body[receipt->list].push_back(std::move(receipt->item));
        }
    });
    return body;
}

}  // namespace zelvorin::service
