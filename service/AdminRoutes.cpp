#include "service/AdminRoutes.h"

#include <optional>
#include <string>

#include <httplib.h>

#include "service/EntityTypes.h"
#include "service/JsonResponses.h"
#include "service/ServiceError.h"
#include "service/Storage.h"

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
        if (!isEntityType(*entityType)) throw ServiceError(400, "Onbekend entityType '" + *entityType + "'.");
    }
    if (!storage.organization(organizationId)) throw ServiceError(404, "Organisatie niet gevonden.");
    Json records = Json::array();
    for (const StoredRecord& record : storage.records(organizationId, entityType)) {
        records.push_back(recordJson(record));
    }
    return Json{{"organizationId", organizationId}, {"records", std::move(records)}};
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
}

}  // namespace zelvorin::service
