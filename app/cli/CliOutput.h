#pragma once

#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "app/cli/CliContext.h"
#include "persistence/generated/Records.h"
#include "persistence/repositories/InvoiceListItem.h"

namespace zelvorin::cli {

using Json = nlohmann::ordered_json;

// One shape per kind of record in every command's --json: the stored record's fields by their
// lowerCamelCase names (the keys its sync payload uses), booleans as true/false, NULL as null.
Json columnsJson(std::string_view table, const ColumnValues& columns);
template <class Record>
Json recordJson(const Record& record) {
    return columnsJson(Record::tableName, record.columnValues());
}
template <class Record>
Json recordsJson(const std::vector<Record>& records) {
    Json list = Json::array();
    for (const Record& record : records)
        list.push_back(recordJson(record));
    return list;
}
Json listItemJson(const InvoiceListItem& item);

// Text cut or padded to a column width counted in characters, not bytes; the last is a space.
std::string column(const std::string& text, std::size_t width);
// Right-aligned, for amounts.
std::string rightColumn(const std::string& text, std::size_t width);

void printJson(CliContext& context, const Json& body);

// The whole file at `path`; CliError(fileNotFound) when it cannot be opened.
std::string readWholeFile(const std::string& path);
// Writes `bytes` to the file at `path`, replacing it; CliError(fileNotWritable) when it cannot.
void writeOutputFile(const std::string& path, const std::string& bytes);

}  // namespace zelvorin::cli
