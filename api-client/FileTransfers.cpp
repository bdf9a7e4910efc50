#include "api-client/FileTransfers.h"

#include "api-client/HttpHeaders.h"
#include "api-client/MultipartBody.h"
#include "api-client/RawResponses.h"
#include "api-client/ResponseFields.h"

namespace zelvorin {

namespace {

enum class MissingIs { notFound, httpError };

using rawresponses::errorText;
using rawresponses::postMultipart;
using rawresponses::throwIfUnauthorizedOrRateLimited;

ConditionalDownload conditionalGet(SyncAPIClient& client, const std::string& path,
                                   const std::optional<std::string>& entityTag, MissingIs missing) {
    HttpRequest request;
    request.url = client.url(path);
    if (entityTag) request.headers.emplace_back("If-None-Match", *entityTag);
    const HttpResponse response = client.sendAuthorized(std::move(request));
    if (response.status == 304) return ConditionalDownload{true, {}, entityTag};
    if (isSuccess(response.status)) return ConditionalDownload{false, response.body, response.header("ETag")};
    throwIfUnauthorizedOrRateLimited(response);
    if (response.status == 404 && missing == MissingIs::notFound) throw APIError(APIError::NotFound{});
    throw APIError(APIError::HttpError{response.status});
}

}  // namespace

ConditionalDownload downloadInvoicePreview(SyncAPIClient& client, const std::string& invoiceId,
                                           const std::optional<std::string>& entityTag) {
    return conditionalGet(client,
                          "api/native/v1/invoices/" + percentEncodeQueryValue(invoiceId) + "/preview-pdf",
                          entityTag, MissingIs::notFound);
}

ConditionalDownload downloadKvitraDocument(SyncAPIClient& client, const std::string& incomingInvoiceId,
                                           const std::optional<std::string>& entityTag) {
    return conditionalGet(client,
                          "api/native/v1/kvitra/" + percentEncodeQueryValue(incomingInvoiceId) + "/document",
                          entityTag, MissingIs::notFound);
}

ConditionalDownload downloadKvitraThumbnail(SyncAPIClient& client, const std::string& incomingInvoiceId,
                                            const std::optional<std::string>& entityTag) {
    return conditionalGet(
        client,
        "api/native/v1/kvitra/" + percentEncodeQueryValue(incomingInvoiceId) + "/document?variant=thumbnail",
        entityTag, MissingIs::notFound);
}

ConditionalDownload downloadUpload(SyncAPIClient& client, const std::string& key,
                                   const std::optional<std::string>& entityTag) {
    std::string path = "api/uploads";
    std::size_t start = 0;
    while (start <= key.size()) {
        std::size_t end = key.find('/', start);
        if (end == std::string::npos) end = key.size();
        if (end > start) path += "/" + percentEncodeQueryValue(key.substr(start, end - start));
        start = end + 1;
    }
    return conditionalGet(client, path, entityTag, MissingIs::httpError);
}

ExportedFile exportVatQuarter(SyncAPIClient& client, int year, int quarter) {
    HttpRequest request;
    request.method = "POST";
    request.url = client.url("api/native/v1/btw/export");
    request.headers.emplace_back("Content-Type", "application/json");
    request.body = nlohmann::json{{"year", year}, {"quarter", quarter}}.dump();
    const HttpResponse response = client.sendAuthorized(std::move(request));
    if (isSuccess(response.status)) {
        const auto disposition = response.header("Content-Disposition");
        const auto named = contentDispositionFileName(
            disposition ? std::optional<std::string_view>(*disposition) : std::nullopt);
        return ExportedFile{
            named.value_or("btw-aangifte-Q" + std::to_string(quarter) + "-" + std::to_string(year) + ".csv"),
            response.body};
    }
    throwIfUnauthorizedOrRateLimited(response);
    if (response.status == 422) throw APIError(APIError::Conflict{errorText(response, "Ongeldige periode.")});
    throw APIError(APIError::HttpError{response.status});
}

std::vector<std::string> uploadKvitraDocument(SyncAPIClient& client, const KvitraUpload& upload) {
    MultipartBody body("ZelvorinBoundary-");
    body.field("source", upload.source)
        .field("needsServerExtraction", upload.needsServerExtraction ? "true" : "false")
        .file("file", upload.fileName, upload.contentType, upload.bytes);
    const HttpResponse response =
        postMultipart(client, "api/native/v1/kvitra/upload", body, upload.idempotencyKey);
    if (isSuccess(response.status)) {
        const auto decoded = nlohmann::json::parse(response.body, nullptr, /*allow_exceptions=*/false);
        if (!decoded.is_object() || !decoded.contains("ids") || !decoded["ids"].is_array())
            throw APIError(APIError::InvalidResponse{});
        std::vector<std::string> ids;
        for (const auto& id : decoded["ids"]) {
            if (!id.is_string()) throw APIError(APIError::InvalidResponse{});
            ids.push_back(id.get<std::string>());
        }
        return ids;
    }
    throwIfUnauthorizedOrRateLimited(response);
    if (response.status == 413 || response.status == 415)
        throw APIError(APIError::Conflict{errorText(response, "Het bestand kon niet worden verwerkt.")});
    throw APIError(APIError::HttpError{response.status});
}

bank::BankImportResult uploadBankStatement(SyncAPIClient& client, const std::string& fileName,
                                           const std::string& bytes) {
    MultipartBody body("ZelvorinBoundary-");
    body.file("file", fileName, "application/octet-stream", bytes);
    const HttpResponse response = postMultipart(client, "api/native/v1/bank/import", body);
    if (isSuccess(response.status)) {
        const auto decoded = nlohmann::json::parse(response.body, nullptr, /*allow_exceptions=*/false);
        return bank::BankImportResult::fromJson(decoded);
    }
    throwIfUnauthorizedOrRateLimited(response);
    if (response.status == 400 || response.status == 415)
        throw APIError(
            APIError::Conflict{errorText(response, "Het bankafschrift kon niet worden verwerkt.")});
    throw APIError(APIError::HttpError{response.status});
}

AvatarUploadResponse uploadAvatar(SyncAPIClient& client, const std::string& entity,
                                  const std::string& entityId, const std::string& contentType,
                                  const std::string& bytes) {
    const char* fileName = contentType == "image/png"    ? "avatar.png"
                           : contentType == "image/webp" ? "avatar.webp"
                                                         : "avatar.jpg";
    MultipartBody body("ZelvorinBoundary-");
    body.field("entity", entity).field("entityId", entityId).file("file", fileName, contentType, bytes);
    const HttpResponse response = postMultipart(client, "api/native/v1/avatars", body);
    if (isSuccess(response.status)) {
        const auto decoded = nlohmann::json::parse(response.body, nullptr, /*allow_exceptions=*/false);
        if (!decoded.is_object() || !decoded.contains("avatarUrl") || !decoded["avatarUrl"].is_string() ||
            !decoded.contains("serverRevision") || !decoded["serverRevision"].is_number_integer())
            throw APIError(APIError::InvalidResponse{});
        return {decoded["avatarUrl"].get<std::string>(), decoded["serverRevision"].get<std::int64_t>()};
    }
    throwIfUnauthorizedOrRateLimited(response);
    if (response.status == 404 || response.status == 413 || response.status == 415)
        throw APIError(APIError::Conflict{errorText(response, "De avatar kon niet worden geüpload.")});
    throw APIError(APIError::HttpError{response.status});
}

}  // namespace zelvorin

namespace zelvorin {

std::vector<UploadedAttachment> uploadInvoiceAttachments(SyncAPIClient& client,
                                                         const std::vector<AttachmentFile>& files) {
    MultipartBody body("ZelvorinBoundary-");
    for (const AttachmentFile& file : files)
        body.file("files", file.fileName, file.contentType, file.bytes);
    const HttpResponse response = postMultipart(client, "api/native/v1/invoices/attachments", body);
    if (isSuccess(response.status)) {
        const auto decoded = nlohmann::json::parse(response.body, nullptr, /*allow_exceptions=*/false);
        std::vector<UploadedAttachment> uploaded;
        for (const auto& item : responsefields::array(decoded, "attachments"))
            uploaded.push_back({responsefields::text(item, "key"), responsefields::text(item, "filename"),
                                responsefields::text(item, "contentType"),
                                responsefields::integer(item, "size")});
        return uploaded;
    }
    throwIfUnauthorizedOrRateLimited(response);
    if (response.status == 413 || response.status == 415 || response.status == 422)
        throw APIError(APIError::Conflict{errorText(response, "Uploaden mislukt. Probeer het opnieuw.")});
    throw APIError(APIError::HttpError{response.status});
}

}  // namespace zelvorin
