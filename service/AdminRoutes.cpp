#include "service/AdminRoutes.h"

#include <chrono>
#include <optional>
#include <string>

#include <httplib.h>

#include "domain/Timestamps.h"
#include "service/JsonResponses.h"
#include "service/ServiceError.h"
#include "service/Storage.h"
#include "sync/PayloadValidator.h"
#include "sync/SyncEntityType.h"

namespace zelvorin::service {

namespace {

using Json = nlohmann::ordered_json;

Json organizationsBody(const Storage& storage) {
    const std::vector<UserAccount> users = storage.users();
    const std::vector<Membership> memberships = storage.memberships();
    Json list = Json::array();
    for (const Organization& organization : storage.organizations()) {
        Json members = Json::array();
        for (const Membership& membership : memberships) {
            if (membership.organizationId != organization.id) continue;
            for (const UserAccount& user : users) {
                if (user.id != membership.userId) continue;
                members.push_back({{"userId", user.id},
                                   {"email", user.email},
                                   {"name", user.name},
                                   {"role", membership.role}});
            }
        }
        list.push_back({{"id", organization.id},
                        {"name", organization.name},
                        {"createdAt", organization.createdAt},
                        {"members", std::move(members)}});
    }
    return Json{{"organizations", std::move(list)}};
}

Json recordJson(const StoredRecord& record) {
    return Json{{"entityType", record.entityType}, {"id", record.id},
                {"revision", record.revision},     {"deleted", record.deleted},
                {"sequence", record.sequence},     {"changedAt", record.changedAt},
                {"payload", record.payload}};
}

Json recordsBody(const Storage& storage, const httplib::Request& request) {
    const std::string organizationId = request.get_param_value("org");
    if (organizationId.empty()) throw ServiceError(400, "Geef de organisatie op met ?org=<id>.");
    std::optional<std::string> entityType;
    if (request.has_param("entityType")) {
        entityType = request.get_param_value("entityType");
        if (!parseSyncEntityType(*entityType))
            throw ServiceError(400, "Onbekend entityType '" + *entityType + "'.");
    }
    if (!storage.organization(organizationId)) throw ServiceError(404, "Organisatie niet gevonden.");
    Json records = Json::array();
    for (const StoredRecord& record : storage.records(organizationId, entityType)) {
        records.push_back(recordJson(record));
    }
    return Json{{"organizationId", organizationId}, {"records", std::move(records)}};
}

std::string requiredText(const Json& body, const char* key) {
    if (!body.contains(key) || !body[key].is_string() || body[key].get<std::string>().empty()) {
        throw ServiceError(400, std::string("\"") + key + "\" ontbreekt of is geen tekst.");
    }
    return body[key].get<std::string>();
}

// A change made on the service's side (as the web app or a scheduled job would make it): the
// given members are laid over the stored record, and the whole must fit its entity. Devices see it
// on their next pull.
Json writeRecord(Storage& storage, const httplib::Request& request) {
    const Json body = Json::parse(request.body, nullptr, false);
    if (!body.is_object()) throw ServiceError(400, "De body moet een JSON-object zijn.");
    const std::string organizationId = requiredText(body, "org");
    const std::string entityType = requiredText(body, "entityType");
    const std::string id = requiredText(body, "id");
    const std::optional<SyncEntityType> type = parseSyncEntityType(entityType);
    if (!type) throw ServiceError(400, "Onbekend entityType '" + entityType + "'.");
    if (!storage.organization(organizationId)) throw ServiceError(404, "Organisatie niet gevonden.");
    if (!body.contains("payload") || !body["payload"].is_object()) {
        throw ServiceError(400, "\"payload\" moet een object zijn.");
    }
    const std::optional<StoredRecord> existing = storage.record(organizationId, entityType, id);
    Json payload = existing && !existing->deleted ? existing->payload : Json::object();
    for (const auto& [key, value] : body["payload"].items())
        payload[key] = value;
    payload["id"] = id;
    payload["organizationId"] = organizationId;
    const TimePoint now = std::chrono::system_clock::now();
    payload["revision"] = existing ? existing->revision + 1 : 1;
    payload["serverModifiedAt"] = formatTimestampMillis(now);
    if (const auto violation = validatePayload(*type, payload)) {
        throw ServiceError(422, "De payload past niet bij " + entityType + ": " + violation->message() + ".");
    }
    return recordJson(storage.putRecord(
        {organizationId, entityType, id, std::move(payload), now, std::nullopt, std::nullopt}));
}

}  // namespace

void addAdminRoutes(httplib::Server& server, Storage& storage) {
    server.Get("/admin/organizations",
               guarded([&storage](const httplib::Request&, httplib::Response& response) {
                   sendJson(response, 200, organizationsBody(storage));
               }));
    server.Get("/admin/records",
               guarded([&storage](const httplib::Request& request, httplib::Response& response) {
                   sendJson(response, 200, recordsBody(storage, request));
               }));
    server.Post("/admin/records",
                guarded([&storage](const httplib::Request& request, httplib::Response& response) {
                    sendJson(response, 200, writeRecord(storage, request));
                }));
    server.Delete(
        "/admin/records", guarded([&storage](const httplib::Request& request, httplib::Response& response) {
            const StoredRecord deleted =
                storage.deleteRecord(request.get_param_value("org"), request.get_param_value("entityType"),
                                     request.get_param_value("id"), std::chrono::system_clock::now());
            sendJson(response, 200, recordJson(deleted));
        }));
}

}  // namespace zelvorin::service
