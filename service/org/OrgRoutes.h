#pragma once

namespace zelvorin::service {

class RouteTable;
class ServiceDatabase;

// The organisation's settings, logo, fonts, the caller's profile, avatars and integrations:
//   GET    api/native/v1/org-settings                 NativeOrgSettings
//   PATCH  api/native/v1/org-settings                 OrgSettingsPatch (admin)
//   POST   api/native/v1/org-settings/logo            multipart "logo" (admin)
//   GET    api/native/v1/fonts                        {"families": [...]}
//   POST   api/native/v1/fonts                        multipart "file", optional "family" (admin)
//   DELETE api/native/v1/fonts/{id}                   (admin)
//   GET    api/native/v1/fonts/{id}/file              the font's bytes
//   GET    api/native/v1/profile, PATCH (name, phone), POST profile/photo (multipart "file")
//   POST   api/native/v1/avatars                      multipart "entity", "entityId", "file"
//   GET    api/native/v1/integrations, PATCH, POST integrations/keys (admin)
//   and the calls that would need an outside provider, all refused with 422.
void addOrgRoutes(RouteTable& routes, const ServiceDatabase& database);

}  // namespace zelvorin::service
