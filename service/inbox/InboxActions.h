#pragma once

#include <optional>
#include <string>
#include <vector>

#include "domain/TimePoint.h"
#include "service/http/RequestContext.h"
#include "service/store/StoredFiles.h"

namespace zelvorin::service {

class ServiceDatabase;

// A document sent to the inbox, as the upload carried it.
struct InboxUpload {
    std::optional<std::string> idempotencyKey;  // the Idempotency-Key header
    std::string source;
    bool needsServerExtraction = false;
    std::string fileName;  // as the device named it; "document" when it gave none
    std::string bytes;
};

// Stores the document and its incoming invoice (status "nieuw"; devices pull it) in one
// transaction. What the bytes are is read from the bytes themselves: throws ServiceError
// payloadTooLarge past the document limit, unsupportedMediaType for anything but PDF, JPEG and
// PNG. An idempotency key seen before stores nothing and answers the items it made then.
struct StoredUpload {
    std::vector<std::string> ids;
    bool repeated = false;  // the key was seen before
};
StoredUpload storeInboxDocument(const ServiceDatabase& database, const Caller& caller,
                                const InboxUpload& upload, TimePoint now);

// What a device's reading of an item came to.
struct SubmissionAnswer {
    bool accepted = false;
    std::string source;     // the reading the item keeps
    bool fallback = false;  // the service reads the document itself
    Json toJson() const;
};
// A device's reading of the caller's item: stored when it fits (a device reading of 0.45 or more
// for an item the service has not read), else the service reads the item itself (`fallback`;
// the caller asks the reader). ServiceError notFound for an unknown or another organisation's
// item, unprocessable for a body that does not fit; nothing is stored then.
SubmissionAnswer submitExtraction(const ServiceDatabase& database, const Caller& caller,
                                  const std::string& incomingId, const Json& body, TimePoint now);

// ServiceError(notFound) unless the caller's organisation holds a live item with this id.
void requireInboxItem(const ServiceDatabase& database, const Caller& caller, const std::string& incomingId);

// The document of the organisation's incoming invoice; ServiceError(notFound) when there is none.
StoredFile inboxDocument(const ServiceDatabase& database, const Caller& caller,
                         const std::string& incomingId);
// A PNG of the document's first page for a list beside the item, made once and kept under the
// document's key with ".thumbnail.png" added. ServiceError(notFound) as inboxDocument,
// unprocessable (Dutch) when the document cannot be drawn.
StoredFile inboxThumbnail(const ServiceDatabase& database, const Caller& caller,
                          const std::string& incomingId, TimePoint now);
// A stored file of the organisation by its key; ServiceError(notFound) when there is none.
StoredFile storedFile(const ServiceDatabase& database, const Caller& caller, const std::string& key);

}  // namespace zelvorin::service
