#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "persistence/generated/Records.h"
#include "persistence/sqlite/Connection.h"

namespace zelvorin {

// Writes every column of a record as a new row: "INSERT INTO <table> (<columns>) VALUES (?, …)".
template <class Record>
void insertRecord(Connection& connection, const Record& record) {
    ColumnValues values = record.columnValues();
    std::string columns, placeholders;
    for (const auto& [name, value] : values) {
        columns += (columns.empty() ? "" : ", ") + std::string(name);
        placeholders += placeholders.empty() ? "?" : ", ?";
    }
    Statement& insert = connection.cached("INSERT INTO " + std::string(Record::tableName) + " (" + columns +
                                          ")\nVALUES (" + placeholders + ")");
    int index = 0;
    for (const auto& [name, value] : values)
        insert.bind(++index, value);
    insert.run();
}

// Writes every column of a record over the row with its id: "UPDATE <table> SET <column> = ?, …
// WHERE id = ?". Returns false when there is no such row.
template <class Record>
bool updateRecord(Connection& connection, const Record& record) {
    ColumnValues values = record.columnValues();
    std::string assignments;
    for (const auto& [name, value] : values)
        assignments += (assignments.empty() ? "" : ", ") + std::string(name) + " = ?";
    Statement& update = connection.cached("UPDATE " + std::string(Record::tableName) + " SET " + assignments +
                                          " WHERE id = ?");
    int index = 0;
    for (const auto& [name, value] : values)
        update.bind(++index, value);
    update.bind(++index, SqlValue(record.id));
    update.run();
    return connection.changes() > 0;
}

// The records a query returns; the query selects the record's columns (usually "SELECT *").
template <class Record, class... Args>
std::vector<Record> selectRecords(Connection& connection, const std::string& sql, const Args&... arguments) {
    Statement& select = connection.cached(sql);
    select.bindAll(arguments...);
    std::vector<Record> records;
    // Records are large: growing the vector row by row costs more than reading the rows.
    records.reserve(select.rowsOfLastRun());
    if (!select.step()) return records;
    const RowLayout layout = Record::layoutOf(select);
    do {
        records.push_back(Record::fromRow(select, layout));
    } while (select.step());
    if (records.capacity() > 2 * records.size() + 16) records.shrink_to_fit();
    return records;
}

// The first record a query returns, or nothing.
template <class Record, class... Args>
std::optional<Record> firstRecord(Connection& connection, const std::string& sql, const Args&... arguments) {
    auto found = selectRecords<Record>(connection, sql, arguments...);
    if (found.empty()) return std::nullopt;
    return std::move(found.front());
}

template <class Record>
std::optional<Record> recordById(Connection& connection, std::string_view id) {
    return firstRecord<Record>(
        connection, "SELECT * FROM " + std::string(Record::tableName) + " WHERE id = ?", std::string(id));
}

}  // namespace zelvorin
