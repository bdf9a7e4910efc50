#include "service/inbox/KvitraRoutes.h"

#include <atomic>
#include <chrono>

#include <httplib.h>

#include "domain/Timestamps.h"
#include "domain/Uuid.h"
#include "service/ConditionalAnswer.h"
#include "service/JsonResponses.h"
#include "service/ServiceError.h"
#include "service/auth/Authenticator.h"
#include "service/auth/RequestAuthentication.h"

namespace zelvorin::service {

namespace {

using Json = nlohmann::ordered_json;

constexpr std::size_t kMaxDocumentBytes = 25 * 1024 * 1024;

// What the bytes are, by their first bytes; the name and the declared type are not trusted.
std::optional<std::string> documentType(const std::string& bytes) {
    if (bytes.rfind("%PDF-", 0) == 0) return "application/pdf";
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xFF\xD8\xFF") == 0) return "image/jpeg";
    if (bytes.rfind("\x89PNG\r\n\x1A\n", 0) == 0) return "image/png";
    return std::nullopt;
}

std::string formField(const httplib::Request& request, const char* name) {
    if (!request.has_file(name)) throw ServiceError(400, std::string("Het veld \"") + name + "\" ontbreekt.");
    return request.get_file_value(name).content;
}

Json upload(Authenticator& authenticator, const httplib::Request& request) {
    const AccessClaims claims = authenticateRequest(request, authenticator);
    requireMembership(claims, authenticator.storage());
    if (!request.is_multipart_form_data()) throw ServiceError(400, "Verwacht multipart/form-data.");
    const std::string source = formField(request, "source");
    const std::string extraction = formField(request, "needsServerExtraction");
    if (extraction != "true" && extraction != "false")
        throw ServiceError(400, "\"needsServerExtraction\" moet \"true\" of \"false\" zijn.");
    if (!request.has_file("file")) throw ServiceError(400, "Het bestand ontbreekt.");
    const httplib::MultipartFormData file = request.get_file_value("file");
    if (file.content.size() > kMaxDocumentBytes) throw ServiceError(413, "Het bestand is groter dan 25 MB.");
    const std::optional<std::string> type = documentType(file.content);
    if (!type) throw ServiceError(415, "Alleen PDF-, JPEG- en PNG-bestanden kunnen worden verwerkt.");

    const TimePoint now = std::chrono::system_clock::now();
    static std::atomic<std::uint64_t> counter{0};
    const std::string id = uuidV7(now, ++counter);
    const std::string fileName = file.filename.empty() ? "document" : file.filename;
    const std::string key = "kvitra/" + id + "/" + fileName;
    Storage& storage = authenticator.storage();
    storage.transaction([&] {
        storage.putFile(claims.organizationId, {key, fileName, *type, file.content}, now);
        Json payload{{"id", id},
                     {"organizationId", claims.organizationId},
                     {"source", source},
                     {"subject", fileName},
                     {"receivedAt", formatTimestampMillis(now)},
                     {"pdfPath", key},
                     {"extractionAttempts", 0},
                     {"status", "nieuw"},
                     {"createdAt", formatTimestampMillis(now)},
                     {"updatedAt", formatTimestampMillis(now)},
                     {"revision", 1},
                     {"serverModifiedAt", formatTimestampMillis(now)}};
        if (extraction == "true") payload["extractionStartedAt"] = formatTimestampMillis(now);
        storage.putRecord({claims.organizationId, "incomingInvoice", id, std::move(payload), now,
                           std::nullopt, std::nullopt});
    });
    return Json{{"ids", Json::array({id})}};
}

void sendStoredFile(const httplib::Request& request, httplib::Response& response, const Storage& storage,
                    const std::string& organizationId, const std::string& key, const char* missing) {
    std::optional<StoredFile> file = storage.file(organizationId, key);
    if (!file) throw ServiceError(404, missing);
    sendConditional(request, response, std::move(file->bytes), file->contentType);
}

}  // namespace

void addKvitraRoutes(httplib::Server& server, Authenticator& authenticator) {
    server.Post("/api/native/v1/kvitra/upload",
                guarded([&authenticator](const httplib::Request& request, httplib::Response& response) {
                    sendJson(response, 200, upload(authenticator, request));
                }));
    server.Get(R"(/api/native/v1/kvitra/([^/]+)/document)",
               guarded([&authenticator](const httplib::Request& request, httplib::Response& response) {
                   const AccessClaims claims = authenticateRequest(request, authenticator);
                   requireMembership(claims, authenticator.storage());
                   const auto record = authenticator.storage().record(claims.organizationId,
                                                                      "incomingInvoice", request.matches[1]);
                   if (!record || record->deleted || !record->payload.contains("pdfPath"))
                       throw ServiceError(404, "Document niet gevonden.");
                   sendStoredFile(request, response, authenticator.storage(), claims.organizationId,
                                  record->payload["pdfPath"].get<std::string>(), "Document niet gevonden.");
               }));
    server.Get(R"(/api/uploads/(.+))",
               guarded([&authenticator](const httplib::Request& request, httplib::Response& response) {
                   const AccessClaims claims = authenticateRequest(request, authenticator);
                   requireMembership(claims, authenticator.storage());
                   sendStoredFile(request, response, authenticator.storage(), claims.organizationId,
                                  request.matches[1], "Bestand niet gevonden.");
               }));
}

}  // namespace zelvorin::service
