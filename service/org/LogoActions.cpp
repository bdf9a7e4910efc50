#include "service/org/LogoActions.h"

#include "domain/Uuid.h"
#include "layout/ImageSource.h"
#include "service/ServiceTunables.h"
#include "service/org/OrgSettingsActions.h"
#include "service/org/UploadedImage.h"
#include "service/store/ServiceDatabase.h"
#include "service/store/StoredFiles.h"

namespace zelvorin::service {

using Json = nlohmann::ordered_json;

Json uploadLogo(const ServiceDatabase& database, const Caller& caller, std::string_view bytes,
                TimePoint now) {
    const UploadedImage image =
        checkUploadedImage(bytes, {tunables::kMaxLogoBytes, tunables::kMaxLogoSide, /*svgAllowed=*/true,
                                   "Het logo", /*webpAllowed=*/false});
    const std::string fileName = "logo." + image.extension;
    const std::string key = "logos/" + randomUuid() + "/" + fileName;
    return database.write([&](Connection& db) {
        storedfiles::put(db, caller.organizationId, {key, fileName, image.contentType, std::string(bytes)},
                         now);
        std::optional<StoredRecord> settings = orgsettings::current(db, caller.organizationId);
        Json payload = settings ? std::move(settings->payload) : Json::object();
        payload["logoPath"] = key;
        payload["logoPdfPath"] = key;
        orgsettings::write(db, caller, std::move(payload), now);
        return Json{{"logoPath", key}, {"logoPdfPath", key}};
    });
}

std::optional<std::string> logoDataUrl(Connection& db, const std::string& organizationId,
                                       const Json& settings) {
    std::string key;
    for (const char* member : {"logoPdfPath", "logoPath"}) {
        const auto found = settings.find(member);
        if (found != settings.end() && found->is_string()) {
            key = found->get<std::string>();
            break;
        }
    }
    if (key.empty()) return std::nullopt;
    const std::optional<StoredFile> file = storedfiles::find(db, organizationId, key);
    if (!file) return std::nullopt;
    return drawableDataUrl(file->bytes);
}

}  // namespace zelvorin::service
