#include "service/org/IntegrationActions.h"

#include <array>
#include <optional>
#include <string_view>

#include "domain/Timestamps.h"
#include "persistence/sqlite/Connection.h"
#include "service/ServiceTunables.h"
#include "service/http/ServiceError.h"
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

std::optional<std::string> stored(Connection& db, const std::string& organizationId,
                                  const std::string& name) {
    Statement& row = db.cached("SELECT value FROM org_integration WHERE organization_id = ? AND name = ?");
    row.bindAll(organizationId, name);
    if (!row.step()) return std::nullopt;
    return row.text(0);
}

void store(Connection& db, const std::string& organizationId, const std::string& name,
           const std::string& value, TimePoint now) {
    db.cached(
          "INSERT OR REPLACE INTO org_integration (organization_id, name, value, updated_at) VALUES (?, ?, "
          "?, ?)")
        .bindAll(organizationId, name, value, formatTimestampMillis(now))
        .run();
}

void erase(Connection& db, const std::string& organizationId, const std::string& name) {
    db.cached("DELETE FROM org_integration WHERE organization_id = ? AND name = ?")
        .bindAll(organizationId, name)
        .run();
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
        const bool autoUpload = stored(db, org, kAutoUpload) == std::optional<std::string>("true");
        const std::string folder = stored(db, org, kFolderTemplate).value_or(kDefaultFolderTemplate);
        Json status{
            {"google", oauth(false, kDefaultFolderTemplate)},
            {"dropbox", oauth(autoUpload, folder)},
            {"bunq", Json{{"connected", false}}},
            {"kvitraFolders", Json{{"zakelijk", "Zakelijk"}, {"prive", "Privé"}, {"gemengd", "Gemengd"}}}};
        for (const std::string_view provider : kKeyProviders)
            status[std::string(provider) + "Configured"] = stored(db, org, keyName(provider)).has_value();
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
            store(db, caller.organizationId, key, value.get<std::string>(), now);
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
            erase(db, caller.organizationId, keyName(name));
        else
            store(db, caller.organizationId, keyName(name), value->get<std::string>(), now);
    });
}

void refuseOutsideProvider(const std::string& service) {
    refuse("Koppelen met " + service +
           " is hier niet beschikbaar: deze dienst kan geen verbinding maken met externe diensten.");
}

}  // namespace zelvorin::service
