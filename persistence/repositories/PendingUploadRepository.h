#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "persistence/AppDatabase.h"
#include "persistence/generated/Records.h"

namespace zelvorin {

// Receipts and invoices taken into the application that still have to be uploaded; the upload
// queue drains it. First in, first out by created_at; rows never reach the sync engine.
//
//   wachtend ──claimNextUpload──► bezig ──success──► removeUpload (row deleted)
//      ▲                           │ failure
//      │                           ▼
//      │   fout ◄── recordUploadFailure (attempts + 1); claimed again like a waiting row
//      └── resetInterruptedUploads: every bezig row (a run that died mid-upload)
// klaar rows are never claimed or counted.
class PendingUploadRepository {
public:
    explicit PendingUploadRepository(AppDatabase database);

    // Throws PersistenceError invalidInput (and stores nothing) when the id, file name, MIME type,
    // relative path or idempotency key is empty or created_at is not a timestamp; a key that is
    // already queued fails on the unique index with the SqliteError. Callers ask uploadExists first.
    void insertUpload(const PendingUploadRecord& upload);
    bool uploadExists(const std::string& idempotencyKey);

    // The oldest waiting or failed upload, marked bezig in the same transaction, so two drainers
    // never get the same row. The returned record carries the bezig status it now has.
    std::optional<PendingUploadRecord> claimNextUpload();
    std::vector<PendingUploadRecord> waitingUploads();
    // Every row whatever its status, oldest first: what a person looking at the queue sees.
    std::vector<PendingUploadRecord> allUploads();
    std::int64_t waitingUploadCount();

    // These return false when no row has that id.
    bool markSubmitDone(const std::string& id);
    bool recordUploadFailure(const std::string& id, const std::string& message);
    bool removeUpload(const std::string& id);
    // Returns how many rows went back to wachtend.
    std::int64_t resetInterruptedUploads();

private:
    AppDatabase database_;
};

}  // namespace zelvorin
