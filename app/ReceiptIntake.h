#pragma once

#include <atomic>
#include <functional>
#include <optional>
#include <string>

#include "api-client/SyncAPIClient.h"
#include "app/PendingUploadStore.h"
#include "app/UploadOutcome.h"
#include "domain/Clock.h"
#include "intelligence/DocumentExtractionPipeline.h"
#include "persistence/repositories/PendingUploadRepository.h"

namespace zelvorin {

// Takes receipts to the service's inbox: read on the device first, uploaded with a flag saying
// whether the service still has to read it, and queued when the service cannot be reached.
//
// A queued file is written atomically before its row is added, and removed again when the row
// cannot be added: no row without a file, no file without a row. The drain deletes a file before
// its row, so a drain killed between the two leaves a row whose file is gone, which the next
// drain drops ("bestand ontbreekt"); its upload had already gone out. Every upload carries the
// row's idempotency key, so an upload whose answer was lost is not taken in twice.
//
// Built for one operation over the environment's current parts; holds no state of its own.
class ReceiptIntake {
public:
    using Diagnostic = std::function<void(const std::string&)>;

    struct Parts {
        SyncAPIClient& client;
        PendingUploadRepository& queue;
        const PendingUploadStore& store;
        const DocumentExtractionPipeline& pipeline;
        const Clock& clock;
        std::atomic<bool>& isDraining;
        Diagnostic diagnostic;  // lines start with "[AppEnvironment] "
    };

    struct DrainReport {
        bool alreadyRunning = false;  // another drain held the flag: this one did nothing
        int uploaded = 0;
        int skipped = 0;                     // rows whose file was gone
        std::optional<std::string> failure;  // the upload error that ended the run
    };

    explicit ReceiptIntake(Parts parts) : parts_(std::move(parts)) {}

    // One file, its type already known by its content. Throws the service's answer when it refused
    // the upload (anything but a rate limit), ReceiptFileError when the document cannot be drawn
    // at all, PendingUploadStoreError or the database's error when it could not be queued (then
    // neither a file nor a row is left).
    UploadOutcome takeIn(const std::string& bytes, const std::string& fileName, const std::string& mimeType,
                         const std::string& source);
    UploadOutcome queue(const std::string& bytes, const std::string& fileName, const std::string& mimeType,
                        const std::string& source, const std::string& idempotencyKey);
    // Side-cars in the queue folder become rows; nothing is sent.
    void importSharedFiles();
    DrainReport drain();

private:
    struct DeviceReading {
        std::optional<ExtractionSubmission> submission;
        bool unreadable = false;  // the pipeline could not read the document at all
    };
    DeviceReading readOnDevice(const std::string& bytes) const;
    std::vector<std::string> upload(const std::string& bytes, const std::string& fileName,
                                    const std::string& mimeType, const std::string& source,
                                    const std::string& idempotencyKey, bool withSubmission) const;
    void report(const std::string& line) const;

    Parts parts_;
};

}  // namespace zelvorin
