#include "service/admin/AdminRoutes.h"

#include <charconv>

#include "service/admin/AdminActions.h"
#include "service/admin/FaultSwitches.h"
#include "service/admin/RequestLog.h"
#include "service/http/JsonBody.h"
#include "service/http/Route.h"
#include "service/http/ServiceError.h"

namespace zelvorin::service {

namespace {

constexpr int kDefaultAuditLimit = 100;

Json recordJson(const StoredRecord& record) {
    return Json{{"entityType", record.entityType}, {"id", record.id},
                {"revision", record.revision},     {"deleted", record.deleted},
                {"sequence", record.sequence},     {"changedAt", record.changedAt},
                {"payload", record.payload}};
}

Json organizationsJson(const std::vector<OrganizationListing>& listings) {
    Json list = Json::array();
    for (const OrganizationListing& listing : listings) {
        Json members = Json::array();
        for (const Member& member : listing.members) {
            members.push_back({{"userId", member.user.id},
                               {"email", member.user.email},
                               {"name", member.user.name},
                               {"role", member.role}});
        }
        list.push_back({{"id", listing.organization.id},
                        {"name", listing.organization.name},
                        {"createdAt", listing.organization.createdAt},
                        {"members", std::move(members)}});
    }
    return Json{{"organizations", std::move(list)}};
}

Json auditJson(const std::vector<AuditEntry>& entries) {
    Json list = Json::array();
    for (const AuditEntry& entry : entries) {
        Json item{{"id", entry.id}, {"at", entry.at}, {"source", entry.source}};
        if (entry.sequence) item["sequence"] = *entry.sequence;
        if (entry.userId) item["userId"] = *entry.userId;
        if (entry.deviceId) item["deviceId"] = *entry.deviceId;
        item["action"] = entry.action;
        item["entityType"] = entry.entityType;
        item["entityId"] = entry.entityId;
        if (entry.revision) item["revision"] = *entry.revision;
        list.push_back(std::move(item));
    }
    return Json{{"entries", std::move(list)}};
}

std::string requiredQuery(const RequestContext& context, const char* name) {
    std::optional<std::string> value = context.query(name);
    if (!value || value->empty())
        throw ServiceError(ErrorKind::badRequest, std::string("Geef '") + name + "' op in de query.");
    return std::move(*value);
}

int auditLimit(const RequestContext& context) {
    const std::optional<std::string> text = context.query("limit");
    if (!text) return kDefaultAuditLimit;
    int limit = 0;
    const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), limit);
    if (error != std::errc() || end != text->data() + text->size() || limit < 1)
        throw ServiceError(ErrorKind::badRequest, "'limit' moet een positief geheel getal zijn.");
    return limit;
}

void addRecordRoutes(RouteTable& routes, const ServiceDatabase& database) {
    routes.get("admin/records", Access::operator_, [&](RequestContext& context) {
        const std::string organizationId = requiredQuery(context, "org");
        Json records = Json::array();
        for (const StoredRecord& record : listRecords(database, organizationId, context.query("entityType")))
            records.push_back(recordJson(record));
        return Reply::json(Json{{"organizationId", organizationId}, {"records", std::move(records)}});
    });
    routes.add(
        HttpMethod::post, "admin/records", Access::operator_, BodyRule::json(), [&](RequestContext& context) {
            const Json& body = context.body();
            const auto payload = body.find("payload");
            if (payload == body.end() || !payload->is_object())
                throw ServiceError(ErrorKind::badRequest, "\"payload\" moet een object zijn.");
            return Reply::json(recordJson(
                changeRecordAsService(database, requiredText(body, "org"), requiredText(body, "entityType"),
                                      requiredText(body, "id"), *payload, context.now())));
        });
    routes.add(HttpMethod::del, "admin/records", Access::operator_, BodyRule::none(),
               [&](RequestContext& context) {
                   return Reply::json(recordJson(deleteRecordAsService(
                       database, requiredQuery(context, "org"), requiredQuery(context, "entityType"),
                       requiredQuery(context, "id"), context.now())));
               });
    routes.get("admin/audit", Access::operator_, [&](RequestContext& context) {
        return Reply::json(
            auditJson(auditEntries(database, requiredQuery(context, "org"), auditLimit(context))));
    });
}

void addSteeringRoutes(RouteTable& routes, FaultSwitches& faults, RequestLog& log) {
    routes.get("admin/requests", Access::operator_, [&](RequestContext&) {
        Json counts = Json::object();
        for (const auto& [path, count] : log.counts())
            counts[path] = count;
        return Reply::json(Json{{"requests", std::move(counts)}});
    });
    routes.add(
        HttpMethod::post, "admin/requests/reset", Access::operator_, BodyRule::none(),
        [&](RequestContext&) {
            log.reset();
            return Reply::json(Json{{"requests", Json::object()}});
        },
        AuditRule::nothing("resets the operator's request counters, kept in memory"));
    routes.add(
        HttpMethod::post, "admin/faults", Access::operator_, BodyRule::json(),
        [&](RequestContext& context) {
            faults.add(parseFault(context.body()));
            return Reply::json(Json{{"status", "ok"}}, 201);
        },
        AuditRule::nothing("switches the operator's test faults, kept in memory"));
    routes.add(
        HttpMethod::del, "admin/faults", Access::operator_, BodyRule::none(),
        [&](RequestContext&) {
            faults.clear();
            return Reply::json(Json{{"status", "ok"}});
        },
        AuditRule::nothing("clears the operator's test faults, kept in memory"));
}

}  // namespace

void addHealthRoute(RouteTable& routes) {
    routes.get("healthz", Access::open, [](RequestContext&) { return Reply::json(Json{{"status", "ok"}}); });
}

void addAdminRoutes(RouteTable& routes, const ServiceDatabase& database, FaultSwitches& faults,
                    RequestLog& log) {
    routes.get("admin/organizations", Access::operator_,
               [&](RequestContext&) { return Reply::json(organizationsJson(listOrganizations(database))); });
    addRecordRoutes(routes, database);
    addSteeringRoutes(routes, faults, log);
}

}  // namespace zelvorin::service
