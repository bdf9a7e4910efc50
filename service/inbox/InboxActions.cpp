#include "service/inbox/InboxActions.h"

#include <atomic>

#include "domain/Timestamps.h"
#include "domain/Uuid.h"
#include "intelligence/ExtractionError.h"
#include "intelligence/PageImage.h"
#include "service/ServiceTunables.h"
#include "service/http/ServiceError.h"
#include "service/inbox/InboxReading.h"
#include "service/store/InboxUploadKeys.h"
#include "service/store/RecordWriter.h"
#include "service/store/ServiceDatabase.h"

namespace zelvorin::service {

namespace {

// What the bytes are, by their first bytes; the name and the declared type are not trusted.
std::optional<std::string> documentType(const std::string& bytes) {
    if (bytes.rfind("%PDF-", 0) == 0) return "application/pdf";
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xFF\xD8\xFF") == 0) return "image/jpeg";
    if (bytes.rfind("\x89PNG\r\n\x1A\n", 0) == 0) return "image/png";
    return std::nullopt;
}

}  // namespace

StoredUpload storeInboxDocument(const ServiceDatabase& database, const Caller& caller,
                                const InboxUpload& upload, TimePoint now) {
    if (upload.bytes.size() > tunables::kMaxDocumentBytes)
        throw ServiceError(ErrorKind::payloadTooLarge, "Het bestand is groter dan 25 MB.");
    const std::optional<std::string> type = documentType(upload.bytes);
    if (!type)
        throw ServiceError(ErrorKind::unsupportedMediaType,
                           "Alleen PDF-, JPEG- en PNG-bestanden kunnen worden verwerkt.");

    // Time-ordered ids: the service's own records arrive at devices in key order.
    static std::atomic<std::uint64_t> counter{0};
    const std::string id = uuidV7(now, ++counter);
    const std::string fileName = upload.fileName.empty() ? "document" : upload.fileName;
    const std::string key = "kvitra/" + id + "/" + fileName;
    const std::string stamp = formatTimestampMillis(now);
    Json payload{{"id", id},
                 {"organizationId", caller.organizationId},
                 {"source", upload.source},
                 {"subject", fileName},
                 {"receivedAt", stamp},
                 {"pdfPath", key},
                 {"extractionAttempts", 0},
                 {"status", "nieuw"},
                 {"createdAt", stamp},
                 {"updatedAt", stamp}};
    if (upload.needsServerExtraction) payload["extractionStartedAt"] = stamp;
    return database.write([&](Connection& db) {
        if (upload.idempotencyKey) {
            if (auto earlier = inboxuploadkeys::find(db, caller.organizationId, *upload.idempotencyKey))
                return StoredUpload{std::move(*earlier), true};
            inboxuploadkeys::put(db, caller.organizationId, *upload.idempotencyKey, {id});
        }
        storedfiles::put(db, caller.organizationId, {key, fileName, *type, upload.bytes}, now);
        writeRecord(
            db, RecordChange{caller.organizationId, SyncEntityType::incomingInvoice, id, RecordOperation::put,
                             std::move(payload), now,
                             Actor{ChangeSource::route, caller.userId, caller.deviceId}, std::nullopt});
        return StoredUpload{{id}, false};
    });
}

Json SubmissionAnswer::toJson() const {
    Json answer{{"accepted", accepted}, {"source", source}};
    if (fallback) answer["fallback"] = true;
    return answer;
}

void requireInboxItem(const ServiceDatabase& database, const Caller& caller, const std::string& incomingId) {
    const bool live = database.read([&](Connection& db) {
        const std::optional<StoredRecord> record =
            records::find(db, caller.organizationId, "incomingInvoice", incomingId);
        return record && !record->deleted;
    });
    if (!live) throw ServiceError(ErrorKind::notFound, "Document niet gevonden.");
}

SubmissionAnswer submitExtraction(const ServiceDatabase& database, const Caller& caller,
                                  const std::string& incomingId, const Json& body, TimePoint now) {
    requireInboxItem(database, caller, incomingId);
    const InboxReading reading = parseSubmission(body);
    if (reading.source != "device-fm")
        throw ServiceError(ErrorKind::unprocessable,
                           "Alleen een lezing van een apparaat (\"device-fm\") kan worden ingediend.");
    return database.write([&](Connection& db) {
        const std::optional<StoredRecord> record =
            records::find(db, caller.organizationId, "incomingInvoice", incomingId);
        if (!record || record->deleted) throw ServiceError(ErrorKind::notFound, "Document niet gevonden.");
        const std::string held = record->payload.value("extractionSource", "");
        if (held == "server-claude") return SubmissionAnswer{false, held, false};
        if (reading.confidence < kAcceptedDeviceConfidence)
            return SubmissionAnswer{false, "server-claude", true};
        Json payload = withReading(record->payload, reading);
        payload["updatedAt"] = formatTimestampMillis(now);
        writeRecord(db,
                    RecordChange{caller.organizationId, SyncEntityType::incomingInvoice, incomingId,
                                 RecordOperation::put, std::move(payload), now,
                                 Actor{ChangeSource::route, caller.userId, caller.deviceId}, std::nullopt});
        return SubmissionAnswer{true, reading.source, false};
    });
}

StoredFile inboxDocument(const ServiceDatabase& database, const Caller& caller,
                         const std::string& incomingId) {
    std::optional<StoredFile> file = database.read([&](Connection& db) -> std::optional<StoredFile> {
        const std::optional<StoredRecord> record =
            records::find(db, caller.organizationId, "incomingInvoice", incomingId);
        if (!record || record->deleted) return std::nullopt;
        const auto path = record->payload.find("pdfPath");
        if (path == record->payload.end() || !path->is_string()) return std::nullopt;
        return storedfiles::find(db, caller.organizationId, path->get<std::string>());
    });
    if (!file) throw ServiceError(ErrorKind::notFound, "Document niet gevonden.");
    return std::move(*file);
}

StoredFile inboxThumbnail(const ServiceDatabase& database, const Caller& caller,
                          const std::string& incomingId, TimePoint now) {
    const StoredFile document = inboxDocument(database, caller, incomingId);
    const std::string key = document.key + ".thumbnail.png";
    if (std::optional<StoredFile> kept =
            database.read([&](Connection& db) { return storedfiles::find(db, caller.organizationId, key); }))
        return std::move(*kept);
    StoredFile thumbnail{key, "thumbnail.png", "image/png", {}};
    try {
        // Drawn outside the database's lock; two requests at once draw it twice and keep one.
        thumbnail.bytes = firstPageThumbnail(document.bytes, tunables::kInboxThumbnailEdge);
    } catch (const ExtractionError&) {
        throw ServiceError(ErrorKind::unprocessable, "Van dit document kan geen voorbeeld worden gemaakt.");
    }
    database.write([&](Connection& db) { storedfiles::put(db, caller.organizationId, thumbnail, now); });
    return thumbnail;
}

StoredFile storedFile(const ServiceDatabase& database, const Caller& caller, const std::string& key) {
    std::optional<StoredFile> file =
        database.read([&](Connection& db) { return storedfiles::find(db, caller.organizationId, key); });
    if (!file) throw ServiceError(ErrorKind::notFound, "Bestand niet gevonden.");
    return std::move(*file);
}

}  // namespace zelvorin::service
