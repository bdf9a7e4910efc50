#pragma once

#include <optional>
#include <string>

#include "domain/TimePoint.h"
#include "service/http/RequestContext.h"
#include "service/store/StoredFiles.h"

namespace zelvorin::service {

class ServiceDatabase;

// A document sent to the inbox, as the upload carried it.
struct InboxUpload {
    std::string source;
    bool needsServerExtraction = false;
    std::string fileName;  // as the device named it; "document" when it gave none
    std::string bytes;
};

// Stores the document and its incoming invoice (status "nieuw"; devices pull it) in one
// transaction and returns the invoice's id. What the bytes are is read from the bytes themselves:
// throws ServiceError payloadTooLarge past the document limit, unsupportedMediaType for anything
// but PDF, JPEG and PNG.
std::string storeInboxDocument(const ServiceDatabase& database, const Caller& caller,
                               const InboxUpload& upload, TimePoint now);

// The document of the organisation's incoming invoice; ServiceError(notFound) when there is none.
StoredFile inboxDocument(const ServiceDatabase& database, const Caller& caller,
                         const std::string& incomingId);
// A stored file of the organisation by its key; ServiceError(notFound) when there is none.
StoredFile storedFile(const ServiceDatabase& database, const Caller& caller, const std::string& key);

}  // namespace zelvorin::service
