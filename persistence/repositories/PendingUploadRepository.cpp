#include "persistence/repositories/PendingUploadRepository.h"

#include <stdexcept>

#include "domain/Timestamps.h"
#include "persistence/PersistenceError.h"
#include "persistence/RecordStatements.h"
#include "persistence/ScalarStatements.h"

namespace zelvorin {
namespace {

constexpr const char* kWaitingCondition = "\nWHERE status IN ('wachtend', 'fout')";

void requireField(const std::string& value, const char* what) {
    if (value.empty())
        throw PersistenceError::invalidInput(std::string("Upload zonder ") + what +
                                             " kan niet in de wachtrij.");
}

}  // namespace

PendingUploadRepository::PendingUploadRepository(AppDatabase database) : database_(std::move(database)) {}

void PendingUploadRepository::insertUpload(const PendingUploadRecord& upload) {
    requireField(upload.id, "id");
    requireField(upload.fileName, "bestandsnaam");
    requireField(upload.mimeType, "bestandstype");
    requireField(upload.relativePath, "bestandspad");
    requireField(upload.idempotencyKey, "idempotentiesleutel");
    if (!parseTimestamp(upload.createdAt))
        throw PersistenceError::invalidInput("Ongeldig aanmaaktijdstip voor upload: '" + upload.createdAt +
                                             "'.");
    database_.writer->write([&](Connection& db) { insertRecord(db, upload); });
}

bool PendingUploadRepository::uploadExists(const std::string& idempotencyKey) {
    return database_.writer->read([&](Connection& db) {
        return countRows(db, "SELECT COUNT(*) FROM pending_upload WHERE idempotency_key = ?",
                         idempotencyKey) > 0;
    });
}

std::optional<PendingUploadRecord> PendingUploadRepository::claimNextUpload() {
    return database_.writer->write([](Connection& db) {
        std::optional<PendingUploadRecord> next =
            firstRecord<PendingUploadRecord>(db, std::string("SELECT * FROM pending_upload") +
                                                     kWaitingCondition + "\nORDER BY created_at\nLIMIT 1");
        if (next) {
            db.cached("UPDATE pending_upload SET status = 'bezig' WHERE id = ?").bindAll(next->id).run();
            next->status = PendingUploadRecord::Status::bezig;
        }
        return next;
    });
}

std::vector<PendingUploadRecord> PendingUploadRepository::waitingUploads() {
    return database_.writer->read([](Connection& db) {
        return selectRecords<PendingUploadRecord>(
            db, std::string("SELECT * FROM pending_upload") + kWaitingCondition + "\nORDER BY created_at");
    });
}

std::vector<PendingUploadRecord> PendingUploadRepository::allUploads() {
    return database_.writer->read([](Connection& db) {
        return selectRecords<PendingUploadRecord>(db, "SELECT * FROM pending_upload ORDER BY created_at");
    });
}

std::int64_t PendingUploadRepository::waitingUploadCount() {
    return database_.writer->read([](Connection& db) {
        return countRows(db, std::string("SELECT COUNT(*) FROM pending_upload") + kWaitingCondition);
    });
}

bool PendingUploadRepository::markSubmitDone(const std::string& id) {
    return database_.writer->write([&](Connection& db) {
        return changeRows(db, "UPDATE pending_upload SET submit_done = 1 WHERE id = ?", id) > 0;
    });
}

bool PendingUploadRepository::recordUploadFailure(const std::string& id, const std::string& message) {
    return database_.writer->write([&](Connection& db) {
        return changeRows(db,
                          "UPDATE pending_upload\nSET attempts = attempts + 1,\n    last_error = ?,\n    "
                          "status = 'fout'\nWHERE id = ?",
                          message, id) > 0;
    });
}

bool PendingUploadRepository::removeUpload(const std::string& id) {
    return database_.writer->write(
        [&](Connection& db) { return changeRows(db, "DELETE FROM pending_upload WHERE id = ?", id) > 0; });
}

std::int64_t PendingUploadRepository::resetInterruptedUploads() {
    return database_.writer->write([](Connection& db) {
        return changeRows(db, "UPDATE pending_upload SET status = 'wachtend' WHERE status = 'bezig'");
    });
}

}  // namespace zelvorin
