#include "service/admin/AdminActions.h"

#include "service/http/ServiceError.h"
#include "service/store/RecordWriter.h"
#include "service/store/ServiceDatabase.h"
#include "sync/SyncEntityType.h"

namespace zelvorin::service {

namespace {

SyncEntityType entityTypeOf(const std::string& text) {
    const std::optional<SyncEntityType> type = parseSyncEntityType(text);
    if (!type) throw ServiceError(ErrorKind::badRequest, "Onbekend entityType '" + text + "'.");
    return *type;
}

void requireOrganization(Connection& db, const std::string& organizationId) {
    if (!accounts::organization(db, organizationId))
        throw ServiceError(ErrorKind::notFound, "Organisatie niet gevonden.");
}

const Actor kAdmin{ChangeSource::admin, std::nullopt, std::nullopt};

}  // namespace

std::vector<OrganizationListing> listOrganizations(const ServiceDatabase& database) {
    return database.read([](Connection& db) {
        const std::vector<Membership> memberships = accounts::memberships(db);
        std::vector<OrganizationListing> listings;
        for (Organization& organization : accounts::organizations(db)) {
            OrganizationListing listing{std::move(organization), {}};
            for (const Membership& membership : memberships) {
                if (membership.organizationId != listing.organization.id) continue;
                if (std::optional<UserAccount> user = accounts::user(db, membership.userId))
                    listing.members.push_back({std::move(*user), membership.role});
            }
            listings.push_back(std::move(listing));
        }
        return listings;
    });
}

std::vector<StoredRecord> listRecords(const ServiceDatabase& database, const std::string& organizationId,
                                      const std::optional<std::string>& entityType) {
    if (entityType) entityTypeOf(*entityType);
    return database.read([&](Connection& db) {
        requireOrganization(db, organizationId);
        return records::all(db, organizationId, entityType);
    });
}

StoredRecord changeRecordAsService(const ServiceDatabase& database, const std::string& organizationId,
                                   const std::string& entityType, const std::string& id,
                                   const nlohmann::ordered_json& members, TimePoint now) {
    const SyncEntityType type = entityTypeOf(entityType);
    return database.write([&](Connection& db) {
        requireOrganization(db, organizationId);
        const std::optional<StoredRecord> existing = records::find(db, organizationId, entityType, id);
        nlohmann::ordered_json payload =
            existing && !existing->deleted ? existing->payload : nlohmann::ordered_json::object();
        for (const auto& [key, value] : members.items())
            payload[key] = value;
        payload["id"] = id;
        payload["organizationId"] = organizationId;
        return writeRecord(db, RecordChange{organizationId, type, id, RecordOperation::put,
                                            std::move(payload), now, kAdmin, std::nullopt});
    });
}

StoredRecord deleteRecordAsService(const ServiceDatabase& database, const std::string& organizationId,
                                   const std::string& entityType, const std::string& id, TimePoint now) {
    const SyncEntityType type = entityTypeOf(entityType);
    return database.write([&](Connection& db) {
        return writeRecord(
            db,
            RecordChange{organizationId, type, id, RecordOperation::remove, {}, now, kAdmin, std::nullopt});
    });
}

std::vector<AuditEntry> auditEntries(const ServiceDatabase& database, const std::string& organizationId,
                                     int limit) {
    return database.read([&](Connection& db) {
        requireOrganization(db, organizationId);
        return auditlog::newest(db, organizationId, limit);
    });
}

}  // namespace zelvorin::service
