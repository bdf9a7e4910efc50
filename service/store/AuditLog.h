#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zelvorin {
class Connection;
}

namespace zelvorin::service {

// Who changed which record when: one entry per record change (writeRecord writes them).
struct AuditEntry {
    std::int64_t sequence = 0;  // the change-log entry of the change
    std::string at;
    std::string source;  // "push", "route", "seed", "admin" or "service"
    std::optional<std::string> userId;
    std::optional<std::string> deviceId;
    std::string action;  // "create", "update", "delete" or "restate"
    std::string entityType;
    std::string entityId;
    std::int64_t revision = 0;
};

namespace auditlog {

// The organisation's newest entries first, `limit` of them after skipping `offset`.
std::vector<AuditEntry> newest(Connection& db, const std::string& organizationId, int limit, int offset = 0);

}  // namespace auditlog
}  // namespace zelvorin::service
