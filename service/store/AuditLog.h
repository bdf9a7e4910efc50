#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zelvorin {
class Connection;
}

namespace zelvorin::service {

// Who did what to which thing, when: one entry per action. A route that changes something writes
// one (RequestAudit, in the route's transaction), a pushed change one each, and the service's
// own work (the seed, scheduled invoices, documents read in the background) one per record.
struct AuditEntry {
    std::int64_t id = 0;
    std::string organizationId;
    std::string at;
    std::string source;  // "push", "route", "seed", "admin" or "service"
    std::optional<std::string> userId;
    std::optional<std::string> deviceId;
    std::string action;  // a record change: "create", "update", "delete", "restate"; a route: its name
    std::string entityType;
    std::string entityId;
    std::optional<std::int64_t> sequence;  // the change-log entry of the record it changed, if any
    std::optional<std::int64_t> revision;
    std::optional<std::string> detailsJson;
    std::optional<std::string> ipAddress;
    // Read with the entry, from the user's account; not stored with it.
    std::optional<std::string> userName;
    std::optional<std::string> userEmail;
};

namespace auditlog {

// Writes the entry on the caller's transaction and returns its id (the entry's id is ignored).
std::int64_t append(Connection& db, const AuditEntry& entry);

// The organisation's newest entries first, `limit` of them after skipping `offset`.
std::vector<AuditEntry> newest(Connection& db, const std::string& organizationId, int limit, int offset = 0);

// The newest `limit` entries of one user in the organisation.
std::vector<AuditEntry> newestOfUser(Connection& db, const std::string& organizationId,
                                     const std::string& userId, int limit);

// How many entries the organisation has, and the highest id of all (0 when none).
std::int64_t count(Connection& db, const std::string& organizationId);
std::int64_t lastId(Connection& db);

}  // namespace auditlog
}  // namespace zelvorin::service
