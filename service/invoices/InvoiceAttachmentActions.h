#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "domain/TimePoint.h"
#include "service/http/RequestContext.h"

namespace zelvorin::service {

class ServiceDatabase;

// A file sent to go with an invoice's message.
struct AttachmentUpload {
    std::string fileName;
    std::string contentType;
    std::string bytes;
};

// Keeps the files under keys of the caller's organisation ("attachments/<uuid>/<name>") for a
// send, resend or reminder to name in its attachmentKeys. All or nothing, in one transaction:
//   none, or more than three files      unprocessable (422)
//   more than 10 MB together            payloadTooLarge (413)
//   a type other than pdf, jpeg, png, gif or octet-stream, or bytes that are not what the type
//   says                                unsupportedMediaType (415)
// Answers {"attachments": [UploadedAttachment {key, filename, contentType, size}]}.
nlohmann::ordered_json uploadAttachments(const ServiceDatabase& database, const Caller& caller,
                                         const std::vector<AttachmentUpload>& files, TimePoint now);

}  // namespace zelvorin::service
