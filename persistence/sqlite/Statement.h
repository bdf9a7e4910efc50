#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "persistence/sqlite/SqliteHandles.h"
#include "persistence/sqlite/Value.h"

namespace zelvorin {

// Owner of one prepared statement. Binding is by 1-based index; columns are read by 0-based
// index or by name. Reset before reuse is done by `reset()` (cached statements are reset for
// you when handed out again).
class Statement {
public:
    Statement() = default;
    Statement(sqlite3* db, StatementHandle stmt) noexcept : db_(db), stmt_(std::move(stmt)) {}

    Statement& bind(int index, std::nullptr_t);
    Statement& bind(int index, std::int64_t value);
    Statement& bind(int index, int value) { return bind(index, static_cast<std::int64_t>(value)); }
    Statement& bind(int index, bool value) { return bind(index, static_cast<std::int64_t>(value ? 1 : 0)); }
    Statement& bind(int index, double value);
    Statement& bind(int index, std::string_view value);
    Statement& bind(int index, const std::string& value) { return bind(index, std::string_view(value)); }
    Statement& bind(int index, const char* value) { return bind(index, std::string_view(value)); }
    Statement& bind(int index, const SqlValue& value);
    // Bytes as a BLOB (a file's contents); text binds go in as TEXT.
    Statement& bindBlob(int index, std::string_view bytes);
    template <class T>
    Statement& bind(int index, const std::optional<T>& value) {
        return value ? bind(index, *value) : bind(index, nullptr);
    }
    // Binds each argument in order from index 1.
    template <class... Args>
    Statement& bindAll(const Args&... args) {
        int index = 0;
        (bind(++index, args), ...);
        return *this;
    }

    // True while a row is available; false when done. Throws SqliteError on failure.
    bool step();
    // Steps to the end, for statements that return no rows.
    void run();
    void reset();
    // How many rows the execution before the last reset returned: the size to expect when the
    // same statement runs again, as observations do after every commit.
    std::size_t rowsOfLastRun() const { return rowsOfLastRun_; }

    int columnCount() const;
    std::string_view columnName(int index) const;
    // -1 when the statement has no such column.
    int columnIndex(std::string_view name) const;
    bool isNull(int index) const;
    std::int64_t int64(int index) const;
    double real(int index) const;
    std::string text(int index) const;
    // The bytes of a BLOB (or of any value, as SQLite gives them); empty for NULL.
    std::string blob(int index) const;
    SqlValue value(int index) const;
    std::optional<std::string> optionalText(int index) const;
    std::optional<std::int64_t> optionalInt64(int index) const;
    std::optional<double> optionalReal(int index) const;

    // The same by column name. A name the result does not have throws SqliteError (SQLITE_RANGE):
    // that is a mistake in the query, not absent data.
    bool isNull(std::string_view name) const { return isNull(requireColumn(name)); }
    std::int64_t int64(std::string_view name) const { return int64(requireColumn(name)); }
    double real(std::string_view name) const { return real(requireColumn(name)); }
    std::string text(std::string_view name) const { return text(requireColumn(name)); }
    SqlValue value(std::string_view name) const { return value(requireColumn(name)); }
    std::optional<std::string> optionalText(std::string_view name) const {
        return optionalText(requireColumn(name));
    }
    std::optional<std::int64_t> optionalInt64(std::string_view name) const {
        return optionalInt64(requireColumn(name));
    }
    std::optional<double> optionalReal(std::string_view name) const {
        return optionalReal(requireColumn(name));
    }

private:
    void check(int rc) const;
    int requireColumn(std::string_view name) const;
    sqlite3* db_ = nullptr;  // the connection it was prepared on, which outlives it
    StatementHandle stmt_;
    std::size_t rowsSoFar_ = 0;
    std::size_t rowsOfLastRun_ = 0;
    // Reads by name look here rather than asking SQLite for every name on every row: a list of
    // 100 000 invoices reads forty columns per row. Filled at the first read by name after a reset
    // (a schema change can reprepare the statement with other columns).
    mutable std::vector<std::string> columnNames_;
    // Rows are read mostly in the order of the SELECT, so the search starts after the last hit.
    mutable int nextColumnHint_ = 0;
};

}  // namespace zelvorin
