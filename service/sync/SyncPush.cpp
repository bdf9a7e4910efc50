#include "service/sync/SyncPush.h"

#include <utility>

#include "domain/Timestamps.h"
#include "service/Storage.h"
#include "service/sync/InvoiceTotals.h"
#include "sync/PayloadValidator.h"
#include "sync/PushResponse.h"

namespace zelvorin::service {

namespace {

using Json = nlohmann::ordered_json;

struct Outcome {
    PushReceipt receipt;
};

Outcome accepted(const PushChange& change, std::int64_t revision) {
    return {{"accepted", toJson(PushAcceptedItem{change.entityType, change.entityId, revision})}};
}

Outcome conflict(const PushChange& change, std::int64_t revision, std::string message) {
    return {{"conflicts",
             toJson(PushConflictItem{change.entityType, change.entityId, revision, std::move(message)})}};
}

Outcome error(const PushChange& change, std::string message) {
    return {{"errors", toJson(PushErrorItem{change.entityId, std::move(message)})}};
}

class BatchApplier {
public:
    BatchApplier(Storage& storage, std::string organizationId, std::string deviceId, TimePoint now)
        : storage_(storage),
          organizationId_(std::move(organizationId)),
          deviceId_(std::move(deviceId)),
          now_(now) {}

    // An invoice's totals follow its lines on the service too.
    Outcome apply(const PushChange& change) {
        Outcome outcome = applyChange(change);
        if (outcome.receipt.list != "accepted") return outcome;
        if (change.entityType == SyncEntityType::draftInvoice) {
            restateInvoiceTotals(storage_, organizationId_, change.entityId, now_);
        } else if (change.entityType == SyncEntityType::invoiceLine) {
            const std::optional<StoredRecord> line =
                storage_.record(organizationId_, "invoiceLine", change.entityId);
            const Json::const_iterator invoiceId =
                line ? std::as_const(line->payload).find("invoiceId") : Json::const_iterator();
            if (line && invoiceId != line->payload.cend() && invoiceId->is_string())
                restateInvoiceTotals(storage_, organizationId_, invoiceId->get<std::string>(), now_);
        }
        return outcome;
    }

private:
    Outcome applyChange(const PushChange& change) {
        const std::string type(rawValue(change.entityType));
        const std::optional<StoredRecord> existing = storage_.record(organizationId_, type, change.entityId);
        if (change.operation == SyncOperation::create) return create(change, type, existing);
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
            return accepted(change,
                            storage_.deleteRecord(organizationId_, type, change.entityId, now_).revision);
        }
        if (existing->deleted) {
            return conflict(change, existing->revision, "Het record is op de server verwijderd.");
        }
        const Json* members = objectPayload(change);
        if (!members) return error(change, "De payload van een update moet een object zijn.");
        Json merged = existing->payload;
        for (const auto& [key, value] : members->items()) {
            if (value.is_null()) {
                merged.erase(key);  // a cleared field
            } else {
                merged[key] = value;
            }
        }
        return write(change, type, std::move(merged), existing->revision + 1);
    }

    Outcome create(const PushChange& change, const std::string& type,
                   const std::optional<StoredRecord>& existing) {
        if (existing && !existing->deleted) {
            return conflict(change, existing->revision,
                            "Er bestaat op de server al een record met dit id (revisie " +
                                std::to_string(existing->revision) + ").");
        }
        const Json* members = objectPayload(change);
        if (!members) return error(change, "De payload van een nieuw record moet een object zijn.");
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
        return write(change, type, std::move(payload), existing ? existing->revision + 1 : 1);
    }

    const Json* objectPayload(const PushChange& change) {
        payloadJson_ = change.payload.toJson();
        return payloadJson_.is_object() ? &payloadJson_ : nullptr;
    }

    // The whole record as the service will hold it must fit its entity; the bookkeeping members
    // are the service's own and set as they will be stored.
    Outcome write(const PushChange& change, const std::string& type, Json payload, std::int64_t revision) {
        if (payload.contains("organizationId") && payload["organizationId"].is_string() &&
            payload["organizationId"] != organizationId_) {
            return error(change, "organizationId hoort bij een andere organisatie.");
        }
        if (payload.contains("id") && payload["id"].is_string() && payload["id"] != change.entityId) {
            return error(change, "Het id in de payload is niet het entityId van de wijziging.");
        }
        payload["revision"] = revision;
        payload["serverModifiedAt"] = formatTimestampMillis(now_);
        if (const auto violation = validatePayload(change.entityType, payload)) {
            return error(change, "De payload past niet bij " + type + ": " + violation->message() + ".");
        }
        RecordWrite record{organizationId_,      type, change.entityId, std::move(payload), now_, deviceId_,
                           change.idempotencyKey};
        return accepted(change, storage_.putRecord(record).revision);
    }

    Storage& storage_;
    std::string organizationId_;
    std::string deviceId_;
    TimePoint now_;
    Json payloadJson_;
};

}  // namespace

nlohmann::ordered_json applyPush(Storage& storage, const std::string& organizationId,
                                 const PushRequest& request, TimePoint now) {
    Json body{{"accepted", Json::array()}, {"conflicts", Json::array()}, {"errors", Json::array()}};
    BatchApplier applier(storage, organizationId, request.deviceId, now);
    storage.transaction([&] {
        for (const PushChange& change : request.changes) {
            std::optional<PushReceipt> receipt = storage.pushReceipt(organizationId, change.idempotencyKey);
            if (!receipt) {
                receipt = applier.apply(change).receipt;
                storage.savePushReceipt(organizationId, change.idempotencyKey, *receipt);
            }
            body[receipt->list].push_back(std::move(receipt->item));
        }
    });
    return body;
}

}  // namespace zelvorin::service
