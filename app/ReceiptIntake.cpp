#include "app/ReceiptIntake.h"

#include <sstream>

#include "api-client/FileTransfers.h"
#include "api-client/KvitraActions.h"
#include "app/ReceiptFile.h"
#include "app/ShareMeta.h"
#include "domain/Timestamps.h"
#include "domain/Uuid.h"
#include "intelligence/ExtractionError.h"

namespace zelvorin {

namespace {

// Only the last path component: a name must not lead out of the queue folder.
std::string plainFileName(const std::string& fileName) {
    std::string name = std::filesystem::path(fileName).filename().string();
    if (name.empty() || name == "." || name == "..") name = "document";
    return name;
}

std::string joined(const std::vector<std::string>& ids) {
    std::string text;
    for (const std::string& id : ids)
        text += (text.empty() ? "" : ", ") + id;
    return text;
}

std::string confidenceText(double confidence) {
    std::ostringstream text;
    text.precision(2);
    text << std::fixed << confidence;
    return text.str();
}

}  // namespace

void ReceiptIntake::report(const std::string& line) const {
    if (parts_.diagnostic) parts_.diagnostic("[AppEnvironment] " + line);
}

ReceiptIntake::DeviceReading ReceiptIntake::readOnDevice(const std::string& bytes) const {
    try {
        return {parts_.pipeline.extract(bytes), false};
    } catch (const ExtractionError& error) {
        if (error.kind() == ExtractionError::Kind::lowConfidence)
            report("On-device extractie lage confidence (" + confidenceText(error.confidence().value_or(0)) +
                   ") — server-pad");
        return {std::nullopt, error.kind() == ExtractionError::Kind::unreadableDocument};
    } catch (const std::exception& error) {
        report(std::string("On-device extractie fout: ") + error.what() + " — server-pad");
        return {};
    }
}

std::vector<std::string> ReceiptIntake::upload(const std::string& bytes, const std::string& fileName,
                                               const std::string& mimeType, const std::string& source,
                                               const std::string& idempotencyKey, bool withSubmission) const {
    return uploadKvitraDocument(
        parts_.client, KvitraUpload{source, !withSubmission, fileName, mimeType, bytes, idempotencyKey});
}

UploadOutcome ReceiptIntake::takeIn(const std::string& bytes, const std::string& fileName,
                                    const std::string& mimeType, const std::string& source) {
    const DeviceReading reading = readOnDevice(bytes);
    // Text that cannot be found is the service's job; a page that cannot be drawn nobody can read.
    if (reading.unreadable) requireDrawableFirstPage(fileName, bytes);
    const std::string key = randomUuid();
    std::vector<std::string> ids;
    try {
        ids = upload(bytes, fileName, mimeType, source, key, reading.submission.has_value());
    } catch (const APIError& error) {
        if (!error.is<APIError::RateLimited>()) throw;
        return queue(bytes, fileName, mimeType, source, key);
    } catch (const NetworkError&) {
        return queue(bytes, fileName, mimeType, source, key);
    }
    if (!reading.submission) return {UploadOutcome::Kind::server, ids};
    const nlohmann::ordered_json body = toJson(*reading.submission);
    for (const std::string& id : ids) {
        try {
            kvitra::submitExtraction(parts_.client, id, body);
        } catch (const std::exception& error) {
            report("submitExtraction mislukt voor " + id + ": " + error.what());
        }
    }
    return {UploadOutcome::Kind::onDevice, ids};
}

UploadOutcome ReceiptIntake::queue(const std::string& bytes, const std::string& fileName,
                                   const std::string& mimeType, const std::string& source,
                                   const std::string& idempotencyKey) {
    const std::string name = plainFileName(fileName);
    const std::string relativePath = parts_.store.store(randomUuid() + "_" + name, bytes);
    PendingUploadRecord row;
    row.id = randomUuid();
    row.fileName = name;
    row.mimeType = mimeType;
    row.source = source;
    row.relativePath = relativePath;
    row.idempotencyKey = idempotencyKey;
    row.status = PendingUploadRecord::Status::wachtend;
    row.createdAt = formatTimestampMillis(parts_.clock.now());
    try {
        parts_.queue.insertUpload(row);
    } catch (...) {
        parts_.store.remove(relativePath);
        throw;
    }
    report("Bon in wachtrij: " + name);
    return {UploadOutcome::Kind::queued, {}};
}

void ReceiptIntake::importSharedFiles() {
    const std::string suffix = ShareMeta::kSuffix;
    for (const std::string& entry : parts_.store.entries()) {
        if (entry.size() <= suffix.size() ||
            entry.compare(entry.size() - suffix.size(), suffix.size(), suffix) != 0)
            continue;
        const std::string dataName = entry.substr(0, entry.size() - suffix.size());
        const std::string sideCar = PendingUploadStore::relativePath(entry);
        try {
            const ShareMeta meta = ShareMeta::parse(parts_.store.read(sideCar).value_or(""));
            const std::string relativePath = PendingUploadStore::relativePath(dataName);
            // A file still being shared (side-car first) is taken in by a later run.
            if (!std::filesystem::exists(parts_.store.absolutePath(relativePath))) continue;
            if (parts_.queue.uploadExists(meta.idempotencyKey)) continue;
            PendingUploadRecord row;
            row.id = randomUuid();
            row.fileName = meta.filename;
            row.mimeType = meta.mimeType;
            row.source = meta.source;
            row.relativePath = relativePath;
            row.idempotencyKey = meta.idempotencyKey;
            row.status = PendingUploadRecord::Status::wachtend;
            row.createdAt = meta.createdAt;
            parts_.queue.insertUpload(row);
            parts_.store.remove(sideCar);
            report("importSharedFiles: geïmporteerd " + meta.filename);
        } catch (const std::exception& error) {
            report("importSharedFiles: enqueue mislukt voor " + entry + ": " + error.what());
        }
    }
}

ReceiptIntake::DrainReport ReceiptIntake::drain() {
    DrainReport result;
    if (parts_.isDraining.exchange(true)) {
        result.alreadyRunning = true;
        return result;
    }
    struct Release {
        std::atomic<bool>& flag;
        ~Release() { flag = false; }
    } release{parts_.isDraining};

    while (const std::optional<PendingUploadRecord> row = parts_.queue.claimNextUpload()) {
        const std::optional<std::string> bytes = parts_.store.read(row->relativePath);
        if (!bytes) {
            report("PendingUpload " + row->id + ": bestand ontbreekt — overgeslagen");
            parts_.queue.removeUpload(row->id);
            ++result.skipped;
            continue;
        }
        const std::optional<ExtractionSubmission> submission =
            row->submitDone ? std::nullopt : readOnDevice(*bytes).submission;
        std::vector<std::string> ids;
        try {
            ids = upload(*bytes, row->fileName, row->mimeType, row->source, row->idempotencyKey,
                         submission.has_value());
        } catch (const std::exception& error) {
            parts_.queue.recordUploadFailure(row->id, error.what());
            report("PendingUpload " + row->id + " upload mislukt: " + error.what());
            result.failure = error.what();
            break;
        }
        if (!row->submitDone && submission) {
            const nlohmann::ordered_json body = toJson(*submission);
            for (const std::string& id : ids) {
                try {
                    kvitra::submitExtraction(parts_.client, id, body);
                } catch (const std::exception&) {
                    report("PendingUpload drain: submitExtraction mislukt voor " + id +
                           " — server pakt het over");
                }
            }
        }
        parts_.queue.markSubmitDone(row->id);
        parts_.store.remove(row->relativePath);
        parts_.queue.removeUpload(row->id);
        report("PendingUpload " + row->id + " voltooid: " + joined(ids));
        ++result.uploaded;
    }
    return result;
}

}  // namespace zelvorin
