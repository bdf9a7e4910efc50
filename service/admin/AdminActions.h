#pragma once

#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "domain/TimePoint.h"
#include "service/store/Accounts.h"
#include "service/store/AuditLog.h"
#include "service/store/Records.h"

namespace zelvorin::service {

class ServiceDatabase;

// Looking into the service and changing records on its side, for tests and for looking around
// while developing (the admin routes are open: the service listens on loopback only).

struct Member {
    UserAccount user;
    std::string role;
};
struct OrganizationListing {
    Organization organization;
    std::vector<Member> members;
};
std::vector<OrganizationListing> listOrganizations(const ServiceDatabase& database);

// The organisation's records in change order, of one entity type when given. Throws ServiceError
// badRequest for an unknown entity type, notFound for an unknown organisation.
std::vector<StoredRecord> listRecords(const ServiceDatabase& database, const std::string& organizationId,
                                      const std::optional<std::string>& entityType);

// A change made on the service's side, as the web application or a scheduled job would make it:
// `members` are laid over the stored live record (or make a new one), and the whole must fit its
// entity (ServiceError unprocessable otherwise). Devices see it on their next pull.
StoredRecord changeRecordAsService(const ServiceDatabase& database, const std::string& organizationId,
                                   const std::string& entityType, const std::string& id,
                                   const nlohmann::ordered_json& members, TimePoint now);
// Tombstones the record; ServiceError notFound when there is none.
StoredRecord deleteRecordAsService(const ServiceDatabase& database, const std::string& organizationId,
                                   const std::string& entityType, const std::string& id, TimePoint now);

// The organisation's audit log, newest first.
std::vector<AuditEntry> auditEntries(const ServiceDatabase& database, const std::string& organizationId,
                                     int limit);

}  // namespace zelvorin::service
