#include "domain/Timestamps.h"
#include "persistence/sqlite/Connection.h"
#include "service/data/DataActions.h"
#include "service/data/StoredZip.h"
#include "service/http/ServiceError.h"
#include "service/store/Accounts.h"
#include "service/store/AuditLog.h"
#include "service/store/OrganizationData.h"
#include "service/store/Records.h"
#include "service/store/ServiceDatabase.h"
#include "service/store/SignIns.h"

namespace zelvorin::service {

namespace {

// The person's trail in the organisation: at most this many of their newest changes.
constexpr int kMaxActivityEntries = 10000;

std::string pretty(const Json& value) {
    return value.dump(2) + "\n";
}

Json profileJson(const UserAccount& user) {
    return Json{{"id", user.id}, {"naam", user.name}, {"email", user.email}, {"aangemaakt", user.createdAt}};
}

Json membershipsJson(Connection& db, const std::string& userId) {
    Json list = Json::array();
    for (const Membership& membership : accounts::membershipsOfUser(db, userId)) {
        const std::optional<Organization> organization =
            accounts::organization(db, membership.organizationId);
        list.push_back(Json{{"organisatie", organization ? organization->name : membership.organizationId},
                            {"rol", membership.role},
                            {"sinds", membership.createdAt}});
    }
    return list;
}

Json sessionsJson(Connection& db, const Caller& caller) {
    Json list = Json::array();
    for (const DeviceSession& session : signins::sessionsOf(db, caller.organizationId)) {
        if (session.userId != caller.userId) continue;
        list.push_back(Json{{"apparaat", session.label},
                            {"platform", session.platform},
                            {"appVersie", session.appVersion},
                            {"ipAdres", session.ip},
                            {"userAgent", session.userAgent},
                            {"aangemeld", session.createdAt},
                            {"laatstGezien", session.lastSeenAt},
                            {"ingetrokken", session.revoked}});
    }
    return list;
}

Json activityJson(Connection& db, const Caller& caller) {
    Json list = Json::array();
    for (const AuditEntry& entry : auditlog::newest(db, caller.organizationId, kMaxActivityEntries)) {
        if (entry.userId != caller.userId) continue;
        list.push_back(Json{{"tijdstip", entry.at},
                            {"actie", entry.action},
                            {"soort", entry.entityType},
                            {"id", entry.entityId},
                            {"bron", entry.source}});
    }
    return list;
}

}  // namespace

DataFile exportPersonalData(const ServiceDatabase& database, const Caller& caller, TimePoint now) {
    StoredZip zip;
    database.read([&](Connection& db) {
        const std::optional<UserAccount> user = accounts::user(db, caller.userId);
        if (!user) throw ServiceError(ErrorKind::notFound, "Dit account bestaat niet (meer).");
        zip.add("profiel.json", pretty(profileJson(*user)));
        zip.add("lidmaatschappen.json", pretty(membershipsJson(db, caller.userId)));
        zip.add("sessies.json", pretty(sessionsJson(db, caller)));
        zip.add("activiteit.json", pretty(activityJson(db, caller)));

        std::map<std::string, Json> byType;
        for (const StoredRecord& record : records::all(db, caller.organizationId, std::nullopt)) {
            if (record.deleted) continue;
            auto [entry, added] = byType.try_emplace(record.entityType, Json::array());
            entry->second.push_back(record.payload);
        }
        for (const auto& [type, list] : byType)
            zip.add("organisatie/" + type + ".json", pretty(list));

        Json files = Json::array();
        for (const StoredFile& file : organizationdata::files(db, caller.organizationId))
            files.push_back(Json{{"sleutel", file.key},
                                 {"bestandsnaam", file.fileName},
                                 {"type", file.contentType},
                                 {"bytes", file.bytes.size()}});
        zip.add("bestanden.json", pretty(files));
    });
    return DataFile{"zelvorin-avg-export-" + formatCalendarDate(amsterdamDate(now)) + ".zip", zip.finish()};
}

}  // namespace zelvorin::service
