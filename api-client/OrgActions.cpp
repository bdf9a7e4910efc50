#include "api-client/OrgActions.h"

#include "api-client/MultipartBody.h"
#include "api-client/RawResponses.h"
#include "api-client/ResponseFields.h"

namespace zelvorin::orgactions {

namespace fields = responsefields;
using Json = nlohmann::json;
using OrderedJson = nlohmann::ordered_json;
using rawresponses::errorText;
using rawresponses::postMultipart;
using rawresponses::throwIfUnauthorizedOrRateLimited;

namespace {

constexpr const char* kSettings = "api/native/v1/org-settings";
constexpr const char* kFonts = "api/native/v1/fonts";
constexpr const char* kProfile = "api/native/v1/profile";
constexpr const char* kIntegrations = "api/native/v1/integrations";
constexpr const char* kCalendars = "api/native/v1/integrations/google/calendars";

// The decoded answer of an upload, or the refusal: `refusals` carry the service's text (else
// `fallback`) as a conflict, 401 and 429 as always, any other status an HttpError.
Json uploadAnswer(const HttpResponse& response, std::initializer_list<int> refusals, const char* fallback) {
    if (isSuccess(response.status)) {
        Json decoded = Json::parse(response.body, nullptr, /*allow_exceptions=*/false);
        if (!decoded.is_object()) fields::invalid();
        return decoded;
    }
    throwIfUnauthorizedOrRateLimited(response);
    for (const int status : refusals)
        if (response.status == status) throw APIError(APIError::Conflict{errorText(response, fallback)});
    throw APIError(APIError::HttpError{response.status});
}

}  // namespace

org::NativeOrgSettings settings(SyncAPIClient& client) {
    return org::NativeOrgSettings::fromJson(client.fetch(kSettings));
}

void patchSettings(SyncAPIClient& client, const org::OrgSettingsPatch& patch) {
    client.action("PATCH", kSettings, patch.toJson(), false);
}

LogoUploadResult uploadLogo(SyncAPIClient& client, const std::string& fileName,
                            const std::string& contentType, const std::string& bytes) {
    MultipartBody body("zelvorin-");
    body.file("logo", fileName, contentType, bytes);
    const Json answer = uploadAnswer(postMultipart(client, std::string(kSettings) + "/logo", body),
                                     {400, 413, 415}, "Het logo kon niet worden geüpload.");
    return {fields::text(answer, "logoPath"), fields::text(answer, "logoPdfPath")};
}

std::vector<org::NativeFontFamily> fontFamilies(SyncAPIClient& client) {
    const Json body = client.fetch(kFonts);
    std::vector<org::NativeFontFamily> families;
    for (const Json& family : fields::array(body, "families"))
        families.push_back(org::NativeFontFamily::fromJson(family));
    return families;
}

org::NativeFontUploadResult uploadFont(SyncAPIClient& client, const std::string& fileName,
                                       const std::string& bytes, const std::optional<std::string>& family) {
    MultipartBody body("zelvorin-");
    if (family) body.field("family", *family);
    body.file("file", fileName, fileName.ends_with(".otf") ? "font/otf" : "font/ttf", bytes);
    return org::NativeFontUploadResult::fromJson(uploadAnswer(postMultipart(client, kFonts, body),
                                                              {400, 409, 413, 415},
                                                              "Het lettertype kon niet worden geüpload."));
}

bool deleteFont(SyncAPIClient& client, const std::string& id) {
    return fields::flag(client.action("DELETE", std::string(kFonts) + "/" + percentEncodeQueryValue(id), {}),
                        "ok");
}

std::string downloadFont(SyncAPIClient& client, const std::string& id) {
    HttpRequest request;
    request.url = client.url(std::string(kFonts) + "/" + percentEncodeQueryValue(id) + "/file");
    const HttpResponse response = client.sendAuthorized(std::move(request));
    if (isSuccess(response.status)) return response.body;
    throwIfUnauthorizedOrRateLimited(response);
    if (response.status == 404) throw APIError(APIError::NotFound{});
    throw APIError(APIError::HttpError{response.status});
}

org::NativeProfile profile(SyncAPIClient& client) {
    return org::NativeProfile::fromJson(client.fetch(kProfile));
}

org::NativeProfile patchProfile(SyncAPIClient& client, const std::string& name,
                                const std::optional<std::string>& phone) {
    const OrderedJson body{{"name", name}, {"phone", phone ? OrderedJson(*phone) : OrderedJson()}};
    return org::NativeProfile::fromJson(client.action("PATCH", kProfile, body));
}

std::string uploadProfilePhoto(SyncAPIClient& client, const std::string& contentType,
                               const std::string& bytes) {
    const char* fileName = contentType == "image/png"    ? "profile.png"
                           : contentType == "image/webp" ? "profile.webp"
                                                         : "profile.jpg";
    MultipartBody body("ZelvorinBoundary-");
    body.file("file", fileName, contentType, bytes);
    const Json answer = uploadAnswer(postMultipart(client, std::string(kProfile) + "/photo", body),
                                     {400, 413, 415}, "De foto kon niet worden geüpload.");
    return fields::text(answer, "image");
}

org::NativeIntegrationStatus integrations(SyncAPIClient& client) {
    return org::NativeIntegrationStatus::fromJson(client.fetch(kIntegrations));
}

void patchIntegrations(SyncAPIClient& client, std::optional<bool> autoUpload,
                       const std::optional<std::string>& folderTemplate) {
    OrderedJson body = OrderedJson::object();
    if (autoUpload) body["dropboxAutoUpload"] = *autoUpload ? "true" : "false";
    if (folderTemplate) body["dropboxFolderTemplate"] = *folderTemplate;
    client.action("PATCH", kIntegrations, body, false);
}

void setIntegrationKey(SyncAPIClient& client, const org::IntegrationKeyBody& body) {
    client.action("POST", std::string(kIntegrations) + "/keys", body.toJson(), false);
}

std::optional<std::string> connectBunq(SyncAPIClient& client, const std::string& apiKey) {
    return fields::optionalText(
        client.action("POST", std::string(kIntegrations) + "/bunq", OrderedJson{{"apiKey", apiKey}}),
        "userName");
}

void disconnectBunq(SyncAPIClient& client) {
    client.action("DELETE", std::string(kIntegrations) + "/bunq", {}, false);
}

void disconnectOAuth(SyncAPIClient& client, const std::string& provider) {
    client.action("DELETE", std::string(kIntegrations) + "/oauth/" + percentEncodeQueryValue(provider), {},
                  false);
}

org::NativeGoogleCalendars googleCalendars(SyncAPIClient& client) {
    return org::NativeGoogleCalendars::fromJson(client.fetch(kCalendars));
}

org::NativeCalendar createGoogleCalendar(SyncAPIClient& client, const std::string& name) {
    const Json answer = client.action("POST", kCalendars, OrderedJson{{"name", name}});
    return {fields::text(answer, "id"), fields::text(answer, "summary")};
}

void setDriveCalendar(SyncAPIClient& client, const std::optional<std::string>& driveCalendarId) {
    OrderedJson body = OrderedJson::object();
    if (driveCalendarId) body["driveCalendarId"] = *driveCalendarId;
    client.action("PATCH", kCalendars, body, false);
}

}  // namespace zelvorin::orgactions
