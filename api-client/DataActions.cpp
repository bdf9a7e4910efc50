#include "api-client/DataActions.h"

#include "api-client/HttpHeaders.h"
#include "api-client/MultipartBody.h"
#include "api-client/ResponseFields.h"

namespace zelvorin::dataactions {

using Json = nlohmann::json;
namespace fields = responsefields;

namespace {

// 401 and 429 as everywhere; any other refusal carries the service's words, else `fallback`.
[[noreturn]] void throwRefusal(const HttpResponse& response, const char* fallback) {
    if (response.status == 401) throw APIError(APIError::Unauthorized{});
    if (response.status == 429) throw rateLimited(response);
    const auto body = Json::parse(response.body, nullptr, /*allow_exceptions=*/false);
    const bool carriesText = body.is_object() && body.contains("error") && body["error"].is_string();
    throw APIError(
        APIError::Conflict{carriesText ? body["error"].get<std::string>() : std::string(fallback)});
}

ExportedFile postForFile(SyncAPIClient& client, const std::string& path, const nlohmann::ordered_json* body,
                         const char* defaultName) {
    HttpRequest request;
    request.method = "POST";
    request.url = client.url(path);
    if (body != nullptr) {
        request.headers.emplace_back("Content-Type", "application/json");
        request.body = body->dump();
    }
    const HttpResponse response = client.sendAuthorized(std::move(request));
    if (!isSuccess(response.status)) throwRefusal(response, "Export mislukt.");
    const auto disposition = response.header("Content-Disposition");
    const auto named = contentDispositionFileName(disposition ? std::optional<std::string_view>(*disposition)
                                                              : std::nullopt);
    return ExportedFile{named.value_or(defaultName), response.body};
}

}  // namespace

NativeDataStats NativeDataStats::fromJson(const Json& body) {
    const Json& storage = fields::objectMember(body, "storage");
    const Json& prefix = fields::objectMember(storage, "byPrefix");
    const Json& records = fields::objectMember(body, "records");
    NativeDataStats stats;
    stats.storage = {fields::integer(storage, "total"),
                     {fields::integer(prefix, "kvitra"), fields::integer(prefix, "invoices"),
                      fields::integer(prefix, "logos"), fields::integer(prefix, "fonts")}};
    stats.records = {fields::integer(records, "invoices"), fields::integer(records, "contacts"),
                     fields::integer(records, "transactions"), fields::integer(records, "total")};
    return stats;
}

NativeImportResult NativeImportResult::fromJson(const Json& body) {
    NativeImportResult decoded;
    decoded.ok = fields::flag(fields::object(body), "ok");
    if (body.contains("manifest") && !body["manifest"].is_null()) {
        const Json& manifest = fields::objectMember(body, "manifest");
        decoded.manifest = Manifest{
            fields::optionalText(manifest, "orgName"), fields::optionalText(manifest, "schemaVersion"),
            fields::optionalText(manifest, "appVersion"), fields::optionalFlag(manifest, "isEncrypted")};
    }
    if (body.contains("result") && !body["result"].is_null()) {
        const Json& result = fields::objectMember(body, "result");
        Outcome outcome{
            fields::integer(result, "rowsInserted"), fields::integer(result, "assetsRestored"), {}, {}};
        for (const Json& warning : fields::array(result, "warnings")) {
            if (!warning.is_string()) fields::invalid();
            outcome.warnings.push_back(warning.get<std::string>());
        }
        if (result.contains("versions") && !result["versions"].is_null()) {
            const Json& versions = fields::objectMember(result, "versions");
            outcome.versions =
                Versions{fields::text(versions, "bundleApp"), fields::text(versions, "runtimeApp"),
                         fields::text(versions, "bundleSchema"), fields::text(versions, "runtimeSchema")};
        }
        decoded.result = std::move(outcome);
    }
    return decoded;
}

NativeDataStats dataStats(SyncAPIClient& client) {
    return NativeDataStats::fromJson(client.fetch("api/native/v1/data-stats"));
}

ExportedFile exportData(SyncAPIClient& client, const std::string& password) {
    const nlohmann::ordered_json body{{"password", password}};
    return postForFile(client, "api/native/v1/data/export", &body, "zelvorin-export.ufbs");
}

ExportedFile exportPersonalData(SyncAPIClient& client) {
    return postForFile(client, "api/native/v1/data/avg-export", nullptr, "zelvorin-export.zip");
}

NativeImportResult importData(SyncAPIClient& client, const std::string& mode, const std::string& password,
                              const std::string& fileName, const std::string& bundle) {
    MultipartBody body("Boundary-");
    body.field("mode", mode)
        .field("password", password)
        .file("bundle", fileName, "application/octet-stream", bundle);
    HttpRequest request;
    request.method = "POST";
    request.url = client.url("api/native/v1/data/import");
    request.headers.emplace_back("Content-Type", body.contentType());
    request.body = body.finish();
    const HttpResponse response = client.sendAuthorized(std::move(request));
    if (!isSuccess(response.status)) throwRefusal(response, "Import mislukt.");
    const auto decoded = Json::parse(response.body, nullptr, /*allow_exceptions=*/false);
    return NativeImportResult::fromJson(decoded);
}

void deleteOrganization(SyncAPIClient& client, const std::string& confirmationName) {
    client.action("POST", "api/native/v1/org/delete",
                  nlohmann::ordered_json{{"confirmationName", confirmationName}},
                  /*decode=*/false);
}

}  // namespace zelvorin::dataactions
