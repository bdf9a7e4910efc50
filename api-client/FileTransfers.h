#pragma once

#include <optional>
#include <string>
#include <vector>

#include "api-client/BankRecords.h"
#include "api-client/SyncAPIClient.h"

namespace zelvorin {

// A download that may not have changed since the caller's copy.
struct ConditionalDownload {
    bool notModified = false;              // 304: keep the copy, no data
    std::string data;                      // the bytes otherwise
    std::optional<std::string> entityTag;  // the answer's ETag, to send next time
};

// GET api/native/v1/invoices/<id>/preview-pdf with If-None-Match when `entityTag` is given.
// 404 is APIError::NotFound.
ConditionalDownload downloadInvoicePreview(SyncAPIClient& client, const std::string& invoiceId,
                                           const std::optional<std::string>& entityTag = std::nullopt);
// GET api/native/v1/kvitra/<id>/document, the same way.
ConditionalDownload downloadKvitraDocument(SyncAPIClient& client, const std::string& incomingInvoiceId,
                                           const std::optional<std::string>& entityTag = std::nullopt);
// GET api/native/v1/kvitra/<id>/document?variant=thumbnail: a PNG of the first page, with an
// entity tag of its own.
ConditionalDownload downloadKvitraThumbnail(SyncAPIClient& client, const std::string& incomingInvoiceId,
                                            const std::optional<std::string>& entityTag = std::nullopt);
// GET api/uploads/<key>, each "/"-separated segment of the key encoded on its own; 404 is an
// HttpError like any other status.
ConditionalDownload downloadUpload(SyncAPIClient& client, const std::string& key,
                                   const std::optional<std::string>& entityTag = std::nullopt);

// A file the service made: its bytes and the name to save it under.
struct ExportedFile {
    std::string fileName;
    std::string data;
};

// POST api/native/v1/btw/export {"year", "quarter"}: the quarter's VAT overview as CSV. The name
// comes from Content-Disposition, else "btw-aangifte-Q<quarter>-<year>.csv". 422 is a conflict
// with the service's message or "Ongeldige periode."; other failures HttpError.
ExportedFile exportVatQuarter(SyncAPIClient& client, int year, int quarter);

// One document for the inbox, uploaded as multipart (boundary "ZelvorinBoundary-…"): the fields
// `source`, `needsServerExtraction` and the file. The ids of the incoming invoices made. 413 and
// 415 are conflicts with the service's message or "Het bestand kon niet worden verwerkt.".
struct KvitraUpload {
    std::string source;  // where the document came from, e.g. "upload", "share"
    bool needsServerExtraction = false;
    std::string fileName;
    std::string contentType;
    std::string bytes;
    // Sent as the Idempotency-Key header: the service answers a repeated key with the items the
    // first upload made, so a queued file whose answer was lost is not taken in twice.
    std::optional<std::string> idempotencyKey;
};
std::vector<std::string> uploadKvitraDocument(SyncAPIClient& client, const KvitraUpload& upload);

// A bank statement (CAMT.053, MT940 or a bank's CSV export; the service tells them apart by
// content), uploaded as multipart with the one part `file`. 400 and 415 are conflicts with the
// service's message or "Het bankafschrift kon niet worden verwerkt."; other failures HttpError.
bank::BankImportResult uploadBankStatement(SyncAPIClient& client, const std::string& fileName,
                                           const std::string& bytes);

// A customer's ("customer") or contact person's ("contact_person") avatar, uploaded as multipart
// (boundary "ZelvorinBoundary-"): entity, entityId and the image as avatar.png, avatar.webp or
// avatar.jpg by its content type. 404, 413 and 415 carry the service's words as a conflict.
struct AvatarUploadResponse {
    std::string avatarUrl;
    std::int64_t serverRevision = 0;
};
AvatarUploadResponse uploadAvatar(SyncAPIClient& client, const std::string& entity,
                                  const std::string& entityId, const std::string& contentType,
                                  const std::string& bytes);

}  // namespace zelvorin

namespace zelvorin {

// A file uploaded to go with an invoice's message, as the service keeps it.
struct UploadedAttachment {
    std::string key;
    std::string filename;
    std::string contentType;
    std::int64_t size = 0;
    bool operator==(const UploadedAttachment&) const = default;
};
struct AttachmentFile {
    std::string fileName;
    std::string contentType;
    std::string bytes;
};
// POST api/native/v1/invoices/attachments, multipart with one "files" part per file; their keys
// go into a send's attachmentKeys. 413, 415 and 422 are conflicts with the service's message or
// "Uploaden mislukt. Probeer het opnieuw.".
std::vector<UploadedAttachment> uploadInvoiceAttachments(SyncAPIClient& client,
                                                         const std::vector<AttachmentFile>& files);

}  // namespace zelvorin
