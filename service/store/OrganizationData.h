#pragma once

#include <cstdint>
#include <map>
#include <optional>
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

// How a table with an organisation column takes part in an export: its rows travel as records
// (record, change_log: written again as new changes on import), as files (stored_file), as rows of
// their own (carried), or stay behind with the devices and people of the organisation they came
// from. A table with an organisation column that is none of these was never decided on.
enum class ExportRole { records, files, carried, leftBehind };
std::optional<ExportRole> exportRole(const std::string& table);
// The carried tables, in the order an import writes them.
const std::vector<std::string>& carriedTables();
// The rows of a carried table, each an object of its columns without organization_id; of
// org_integration only the switches, never the keys of outside providers.
std::vector<nlohmann::ordered_json> rows(Connection& db, const std::string& table,
                                         const std::string& organizationId);
// Adds a row to a carried table unless one with its key is there (or it is a row an export never
// carries); true when it was added. Throws
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
