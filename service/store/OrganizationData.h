#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "service/store/StoredFiles.h"

namespace zelvorin {
class Connection;
}

namespace zelvorin::service {

// An organisation's data as a whole: what it stores, what an export carries beside its records,
// and removing all of it. On a connection of ServiceDatabase::read or write.
namespace organizationdata {

// Every stored file of the organisation, by key.
std::vector<StoredFile> files(Connection& db, const std::string& organizationId);
void removeFiles(Connection& db, const std::string& organizationId);

// Bytes of stored files, in all and by the first segment of their key.
struct FileUsage {
    std::int64_t total = 0;
    std::map<std::string, std::int64_t> byPrefix;
};
FileUsage fileUsage(Connection& db, const std::string& organizationId);
// Live records by entity type (raw value).
std::map<std::string, std::int64_t> liveRecordCounts(Connection& db, const std::string& organizationId);

// The tables beside the records that belong to an organisation's books and travel in an export:
// invoice numbering, invoice history, schedule days off and billed periods, bank rules, briefing
// decisions. Sign-in state, push receipts, the audit log and queued sends stay behind: they
// belong to the devices and people of the organisation the export came from.
const std::vector<std::string>& carriedTables();
// The rows of a carried table, each an object of its columns without organization_id.
std::vector<nlohmann::ordered_json> rows(Connection& db, const std::string& table,
                                         const std::string& organizationId);
// Adds a row to a carried table unless one with its key is there; true when it was added. Throws
// std::invalid_argument for a table that is not carried, a column it does not have, or a value
// that is no text, number or null.
bool insertRow(Connection& db, const std::string& table, const std::string& organizationId,
               const nlohmann::ordered_json& columns);
void removeRows(Connection& db, const std::string& table, const std::string& organizationId);

void rename(Connection& db, const std::string& organizationId, const std::string& name);

// Removes the organisation and everything that names it in any table (records, change log, files,
// memberships, sessions with their refresh tokens, ...), so its members' tokens are refused.
void erase(Connection& db, const std::string& organizationId);

}  // namespace organizationdata
}  // namespace zelvorin::service
