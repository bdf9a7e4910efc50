#pragma once

#include <optional>
#include <string>
#include <vector>

#include "api-client/OrgRecords.h"
#include "api-client/SyncAPIClient.h"

// The organisation's settings, logo, fonts, the caller's profile and the integrations. Reads use
// the "fetch" mapping, changes the "action" mapping; uploads and the font download map their own
// statuses (named per call).
namespace zelvorin::orgactions {

// GET / PATCH api/native/v1/org-settings.
org::NativeOrgSettings settings(SyncAPIClient& client);
void patchSettings(SyncAPIClient& client, const org::OrgSettingsPatch& patch);

// POST api/native/v1/org-settings/logo, multipart (boundary "zelvorin-") with the file part "logo".
// 400, 413 and 415 are conflicts with the service's text or "Het logo kon niet worden geüpload.".
struct LogoUploadResult {
    std::string logoPath;
    std::string logoPdfPath;
};
LogoUploadResult uploadLogo(SyncAPIClient& client, const std::string& fileName,
                            const std::string& contentType, const std::string& bytes);

// GET api/native/v1/fonts.
std::vector<org::NativeFontFamily> fontFamilies(SyncAPIClient& client);
// POST api/native/v1/fonts, multipart (boundary "zelvorin-"): an optional "family" field (the name
// templates will use; the file's own family otherwise) and the file part "file", typed font/otf
// for a name ending in ".otf", else font/ttf. 400, 409, 413 and 415 are conflicts with the
// service's text or "Het lettertype kon niet worden geüpload.".
org::NativeFontUploadResult uploadFont(SyncAPIClient& client, const std::string& fileName,
                                       const std::string& bytes,
                                       const std::optional<std::string>& family = std::nullopt);
// DELETE api/native/v1/fonts/<id>: the answer's "ok".
bool deleteFont(SyncAPIClient& client, const std::string& id);
// GET api/native/v1/fonts/<id>/file: the font's bytes. 404 is NotFound.
std::string downloadFont(SyncAPIClient& client, const std::string& id);

// GET / PATCH api/native/v1/profile ({"name", "phone"}; a phone of nothing is sent as null).
org::NativeProfile profile(SyncAPIClient& client);
org::NativeProfile patchProfile(SyncAPIClient& client, const std::string& name,
                                const std::optional<std::string>& phone);
// POST api/native/v1/profile/photo, multipart (boundary "ZelvorinBoundary-"), the file as
// profile.png, profile.webp or profile.jpg by its content type: the photo's address. 400, 413 and
// 415 are conflicts with the service's text or "De foto kon niet worden geüpload.".
std::string uploadProfilePhoto(SyncAPIClient& client, const std::string& contentType,
                               const std::string& bytes);

// Integrations.
org::NativeIntegrationStatus integrations(SyncAPIClient& client);
// PATCH api/native/v1/integrations: dropboxAutoUpload as "true"/"false", dropboxFolderTemplate.
void patchIntegrations(SyncAPIClient& client, std::optional<bool> autoUpload,
                       const std::optional<std::string>& folderTemplate);
// POST api/native/v1/integrations/keys.
void setIntegrationKey(SyncAPIClient& client, const org::IntegrationKeyBody& body);
// POST / DELETE api/native/v1/integrations/bunq; DELETE .../oauth/<provider>.
std::optional<std::string> connectBunq(SyncAPIClient& client, const std::string& apiKey);
void disconnectBunq(SyncAPIClient& client);
void disconnectOAuth(SyncAPIClient& client, const std::string& provider);
// GET / POST / PATCH api/native/v1/integrations/google/calendars.
org::NativeGoogleCalendars googleCalendars(SyncAPIClient& client);
org::NativeCalendar createGoogleCalendar(SyncAPIClient& client, const std::string& name);
void setDriveCalendar(SyncAPIClient& client, const std::optional<std::string>& driveCalendarId);

}  // namespace zelvorin::orgactions
