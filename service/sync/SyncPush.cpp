#include "service/sync/SyncPush.h"

#include <iostream>
#include <set>
#include <utility>

#include "domain/AmountOverflowError.h"
#include "persistence/sqlite/SqliteError.h"

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

// Runs `work` inside a savepoint: its writes stay when it returns and are undone when it throws.
template <class Work>
auto withinSavepoint(Connection& db, const std::string& name, Work work) {
    db.exec("SAVEPOINT " + name);
    try {
        auto result = work();
        db.exec("RELEASE " + name);
        return result;
    } catch (...) {
        db.resetActiveStatements();
        db.exec("ROLLBACK TO " + name);
        db.exec("RELEASE " + name);
        throw;
    }
}

// Thrown when the batch's changes leave an invoice whose totals do not fit: the batch runs again
// with that invoice's changes checked one by one.
struct UncountableInvoice {
    std::string invoiceId;
};

std::string uncountableText(const std::string& invoiceId) {
    return "De bedragen van factuur " + invoiceId +
           " worden met deze wijziging te groot om op te tellen; de wijziging is niet bewaard.";
}

class BatchApplier {
public:
    BatchApplier(Connection& db, const Caller& caller, TimePoint now,
                 const std::set<std::string>& uncountable)
        : db_(db),
          organizationId_(caller.organizationId),
          actor_{ChangeSource::push, caller.userId, caller.deviceId},
          now_(now),
          uncountable_(uncountable) {}

    // One change on its own: whatever it throws undoes only its own writes and becomes its error
    // item. A full disk or a busy database is the batch's trouble, not the change's: it goes on up.
    PushReceipt apply(const PushChange& change) {
        try {
            return withinSavepoint(db_, "push_change", [&] { return applyCounted(change); });
        } catch (const SqliteError&) {
            throw;
        } catch (const AmountOverflowError&) {
            return error(change, uncountableText(invoiceOf(change).value_or(change.entityId)));
        } catch (const std::exception& failure) {
            std::cerr << "zelvorin-service: push " << rawValue(change.entityType) << " " << change.entityId
                      << ": " << failure.what() << std::endl;
            return error(change, "De server kon deze wijziging niet verwerken; er is niets van bewaard.");
        }
    }

    // The totals of every invoice the batch touched, restated once.
    void restateTouchedInvoices() {
        for (const std::string& invoiceId : touched_) {
            try {
                restateInvoiceTotals(db_, organizationId_, invoiceId, now_, actor_);
            } catch (const AmountOverflowError&) {
                if (uncountable_.contains(invoiceId)) throw;  // counted after each change already: a fault
                throw UncountableInvoice{invoiceId};
            }
        }
    }

private:
    PushReceipt applyCounted(const PushChange& change) {
        std::optional<StoredRecord> written;
        PushReceipt receipt = applyChange(change, written);
        if (!written) return receipt;
        std::optional<std::string> invoiceId;
        if (change.entityType == SyncEntityType::draftInvoice) {
            invoiceId = change.entityId;
        } else if (change.entityType == SyncEntityType::invoiceLine) {
            const auto member = written->payload.find("invoiceId");
            if (member != written->payload.end() && member->is_string())
                invoiceId = member->get<std::string>();
        }
        if (!invoiceId) return receipt;
        // An invoice whose totals overflowed in an earlier run of this batch is counted after each
        // of its changes, so the one that overflows it is found and only that one is refused.
        if (uncountable_.contains(*invoiceId))
            restateInvoiceTotals(db_, organizationId_, *invoiceId, now_, actor_);
        touched_.insert(*invoiceId);
        return receipt;
    }

    // The invoice a change is about, for its error text.
    std::optional<std::string> invoiceOf(const PushChange& change) const {
        if (change.entityType == SyncEntityType::draftInvoice) return change.entityId;
        const Json payload = change.payload.toJson();
        const auto member = payload.is_object() ? payload.find("invoiceId") : payload.end();
        if (payload.is_object() && member != payload.end() && member->is_string())
            return member->get<std::string>();
        return std::nullopt;
    }

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
    const std::set<std::string>& uncountable_;
    std::set<std::string> touched_;
    Json payloadJson_;
};

// One run of the batch. Answers are kept as receipts, except errors: their cause (a payload the
// service could not take, a total too large) may be gone when the device sends the change again.
Json applyBatch(Connection& db, const Caller& caller, const PushRequest& request, TimePoint now,
                const std::set<std::string>& uncountable) {
    Json body{{"accepted", Json::array()}, {"conflicts", Json::array()}, {"errors", Json::array()}};
    BatchApplier applier(db, caller, now, uncountable);
    for (const PushChange& change : request.changes) {
        std::optional<PushReceipt> receipt =
            pushreceipts::find(db, caller.organizationId, change.idempotencyKey);
        if (!receipt) {
            receipt = applier.apply(change);
            if (receipt->list != "errors")
                pushreceipts::save(db, caller.organizationId, change.idempotencyKey, *receipt);
        }
        body[receipt->list].push_back(std::move(receipt->item));
    }
    applier.restateTouchedInvoices();
    return body;
}

}  // namespace

nlohmann::ordered_json applyPush(const ServiceDatabase& database, const Caller& caller,
                                 const PushRequest& request, TimePoint now) {
    return database.write([&](Connection& db) {
        std::set<std::string> uncountable;
        for (;;) {
            try {
                return withinSavepoint(db, "push_batch",
                                       [&] { return applyBatch(db, caller, request, now, uncountable); });
            } catch (const UncountableInvoice& overflowed) {
                uncountable.insert(overflowed.invoiceId);  // each run adds one: the loop ends
            }
        }
    });
}

}  // namespace zelvorin::service
