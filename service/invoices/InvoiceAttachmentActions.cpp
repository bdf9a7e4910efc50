#include "service/invoices/InvoiceAttachmentActions.h"

#include "domain/AttachmentRule.h"
#include "domain/Uuid.h"
#include "service/http/ServiceError.h"
#include "service/store/ServiceDatabase.h"
#include "service/store/StoredFiles.h"

namespace zelvorin::service {
namespace {

using Json = nlohmann::ordered_json;

// The name as the message will carry it: no folders, no control characters or quotes that could
// break out of its header, never empty.
std::string safeFileName(const std::string& name) {
    const std::size_t slash = name.find_last_of("/\\");
    std::string safe;
    for (const char c : slash == std::string::npos ? name : name.substr(slash + 1))
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F && c != '"') safe += c;
    return safe.empty() || safe == "." || safe == ".." ? "bijlage" : safe;
}

void check(const std::vector<AttachmentUpload>& files) {
    if (files.empty())
        throw ServiceError(ErrorKind::unprocessable, "Kies minstens één bestand om bij te voegen.");
    if (files.size() > kMaxAttachments)
        throw ServiceError(ErrorKind::unprocessable, "Je kunt maximaal 3 bestanden bijvoegen.");
    std::int64_t total = 0;
    for (const AttachmentUpload& file : files)
        total += static_cast<std::int64_t>(file.bytes.size());
    if (total > kMaxAttachmentBytes)
        throw ServiceError(ErrorKind::payloadTooLarge,
                           "Totale bestandsgrootte mag niet groter zijn dan 10 MB");
    for (const AttachmentUpload& file : files)
        if (!isAcceptableAttachment(file.contentType, file.bytes))
            throw ServiceError(
                ErrorKind::unsupportedMediaType,
                "'" + safeFileName(file.fileName) +
                    "' kan niet worden bijgevoegd: alleen PDF, JPEG, PNG, GIF of een ander "
                    "bestand als application/octet-stream, en de inhoud moet bij het type passen.");
}

}  // namespace

Json uploadAttachments(const ServiceDatabase& database, const Caller& caller,
                       const std::vector<AttachmentUpload>& files, TimePoint now) {
    check(files);
    return database.write([&](Connection& db) {
        Json uploaded = Json::array();
        for (const AttachmentUpload& file : files) {
            const std::string name = safeFileName(file.fileName);
            const std::string key = "attachments/" + randomUuid() + "/" + name;
            storedfiles::put(db, caller.organizationId, {key, name, file.contentType, file.bytes}, now);
            uploaded.push_back(Json{{"key", key},
                                    {"filename", name},
                                    {"contentType", file.contentType},
                                    {"size", static_cast<std::int64_t>(file.bytes.size())}});
        }
        return Json{{"attachments", std::move(uploaded)}};
    });
}

}  // namespace zelvorin::service
