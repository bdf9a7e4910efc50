#include "service/org/IntegrationActions.h"

#include <array>
#include <optional>
#include <string_view>

#include "service/ServiceTunables.h"
#include "service/http/ServiceError.h"
#include "service/inbox/InboxSettings.h"
#include "service/store/OrgIntegrations.h"
#include "service/store/ServiceDatabase.h"

namespace zelvorin::service {
namespace {

using Json = nlohmann::ordered_json;

constexpr std::array<std::string_view, 4> kKeyProviders{"mollie", "resend", "postcode", "anthropic"};
constexpr const char* kAutoUpload = "dropboxAutoUpload";
constexpr const char* kFolderTemplate = "dropboxFolderTemplate";
constexpr const char* kDefaultFolderTemplate = "/Zelvorin/{jaar}/{categorie}";
constexpr std::size_t kMaxFolderTemplateLength = 200;

std::string keyName(std::string_view provider) {
    return "key:" + std::string(provider);
}

[[noreturn]] void refuse(const std::string& text) {
    throw ServiceError(ErrorKind::unprocessable, text);
}

Json oauth(bool autoUpload, const std::string& folderTemplate) {
    return Json{{"connected", false},
                {"tokenExpired", false},
                {"autoUpload", autoUpload},
                {"folderTemplate", folderTemplate}};
}

}  // namespace

Json integrationStatus(const ServiceDatabase& database, const Caller& caller) {
    return database.read([&](Connection& db) {
        const std::string& org = caller.organizationId;
        const bool autoUpload =
            orgintegrations::find(db, org, kAutoUpload) == std::optional<std::string>("true");
        const std::string folder =
            orgintegrations::find(db, org, kFolderTemplate).value_or(kDefaultFolderTemplate);
        Json status{{"google", oauth(false, kDefaultFolderTemplate)},
                    {"dropbox", oauth(autoUpload, folder)},
                    {"bunq", Json{{"connected", false}}},
                    {"kvitraFolders", inboxFolders(db, org)}};
        for (const std::string_view provider : kKeyProviders)
            status[std::string(provider) + "Configured"] =
                orgintegrations::find(db, org, keyName(provider)).has_value();
        return status;
    });
}

void patchIntegrations(const ServiceDatabase& database, const Caller& caller, const Json& body,
                       TimePoint now) {
    for (const auto& [key, value] : body.items()) {
        if (key == kAutoUpload) {
            if (value != "true" && value != "false")
                refuse("dropboxAutoUpload moet \"true\" of \"false\" zijn.");
        } else if (key == kFolderTemplate) {
            if (!value.is_string() || value.get<std::string>().empty() ||
                value.get<std::string>().size() > kMaxFolderTemplateLength)
                refuse("De mappenstructuur moet een tekst van 1 tot 200 tekens zijn.");
        } else {
            refuse("Onbekende instelling '" + key + "': alleen dropboxAutoUpload en dropboxFolderTemplate.");
        }
    }
    database.write([&](Connection& db) {
        for (const auto& [key, value] : body.items())
            orgintegrations::put(db, caller.organizationId, key, value.get<std::string>(), now);
    });
}

void setIntegrationKey(const ServiceDatabase& database, const Caller& caller, const Json& body,
                       TimePoint now) {
    const auto provider = body.find("provider");
    if (provider == body.end() || !provider->is_string()) refuse("Geef de dienst op (provider).");
    const std::string name = provider->get<std::string>();
    bool known = false;
    for (const std::string_view candidate : kKeyProviders)
        known = known || candidate == name;
    if (!known) refuse("Onbekende dienst '" + name + "': mollie, resend, postcode of anthropic.");
    const auto value = body.find("value");
    if (value == body.end()) refuse("Geef een sleutel op (value), of null om hem te verwijderen.");
    if (!value->is_null() && (!value->is_string() || value->get<std::string>().empty() ||
                              value->get<std::string>().size() > tunables::kMaxIntegrationKeyLength))
        refuse("De sleutel moet een tekst van 1 tot 1024 tekens zijn.");
    database.write([&](Connection& db) {
        if (value->is_null())
            orgintegrations::remove(db, caller.organizationId, keyName(name));
        else
            orgintegrations::put(db, caller.organizationId, keyName(name), value->get<std::string>(), now);
    });
}

void refuseOutsideProvider(const std::string& service) {
    refuse("Koppelen met " + service +
           " is hier niet beschikbaar: deze dienst kan geen verbinding maken met externe diensten.");
}

}  // namespace zelvorin::service
