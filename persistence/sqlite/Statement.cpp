#include "persistence/sqlite/Statement.h"

#include <sqlite3.h>

#include <utility>

#include "persistence/sqlite/SqliteError.h"

namespace zelvorin {

void finalizeStatement(sqlite3_stmt* stmt) noexcept {
    sqlite3_finalize(stmt);
}

void Statement::check(int rc) const {
    if (rc != SQLITE_OK) throw SqliteError(sqlite3_extended_errcode(db_), sqlite3_errmsg(db_));
}

Statement& Statement::bind(int index, std::nullptr_t) {
    check(sqlite3_bind_null(stmt_.get(), index));
    return *this;
}

Statement& Statement::bind(int index, std::int64_t value) {
    check(sqlite3_bind_int64(stmt_.get(), index, value));
    return *this;
}

Statement& Statement::bind(int index, double value) {
    check(sqlite3_bind_double(stmt_.get(), index, value));
    return *this;
}

Statement& Statement::bind(int index, std::string_view value) {
    check(sqlite3_bind_text64(stmt_.get(), index, value.data(), value.size(), SQLITE_TRANSIENT, SQLITE_UTF8));
    return *this;
}

Statement& Statement::bindBlob(int index, std::string_view bytes) {
    check(sqlite3_bind_blob64(stmt_.get(), index, bytes.data(), bytes.size(), SQLITE_TRANSIENT));
    return *this;
}

Statement& Statement::bind(int index, const SqlValue& value) {
    std::visit(
        [&](const auto& v) {
            using V = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<V, std::monostate>) {
                bind(index, nullptr);
            } else {
                bind(index, v);
            }
        },
        value);
    return *this;
}

bool Statement::step() {
    int rc = sqlite3_step(stmt_.get());
    if (rc == SQLITE_ROW) {
        ++rowsSoFar_;
        return true;
    }
    if (rc == SQLITE_DONE) return false;
    int code = sqlite3_extended_errcode(db_);
    std::string message = sqlite3_errmsg(db_);
    sqlite3_reset(stmt_.get());
    throw SqliteError(code, message);
}

void Statement::run() {
    while (step()) {
    }
}

void Statement::reset() {
    rowsOfLastRun_ = std::exchange(rowsSoFar_, 0);
    columnNames_.clear();
    nextColumnHint_ = 0;
    sqlite3_reset(stmt_.get());
    sqlite3_clear_bindings(stmt_.get());
}

int Statement::columnCount() const {
    return sqlite3_column_count(stmt_.get());
}

std::string_view Statement::columnName(int index) const {
    const char* name = sqlite3_column_name(stmt_.get(), index);
    return name ? std::string_view(name) : std::string_view{};
}

int Statement::columnIndex(std::string_view name) const {
    if (columnNames_.empty()) {
        const int count = columnCount();
        columnNames_.reserve(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i)
            columnNames_.emplace_back(columnName(i));
    }
    const int count = static_cast<int>(columnNames_.size());
    for (int step = 0; step < count; ++step) {
        const int i = (nextColumnHint_ + step) % count;
        if (columnNames_[static_cast<std::size_t>(i)] == name) {
            nextColumnHint_ = i + 1;
            return i;
        }
    }
    return -1;
}

int Statement::requireColumn(std::string_view name) const {
    int index = columnIndex(name);
    if (index < 0) throw SqliteError(SQLITE_RANGE, "no such column: " + std::string(name));
    return index;
}

bool Statement::isNull(int index) const {
    return sqlite3_column_type(stmt_.get(), index) == SQLITE_NULL;
}

std::int64_t Statement::int64(int index) const {
    return sqlite3_column_int64(stmt_.get(), index);
}

double Statement::real(int index) const {
    return sqlite3_column_double(stmt_.get(), index);
}

std::string Statement::text(int index) const {
    const unsigned char* data = sqlite3_column_text(stmt_.get(), index);
    int size = sqlite3_column_bytes(stmt_.get(), index);
    return data ? std::string(reinterpret_cast<const char*>(data), static_cast<std::size_t>(size))
                : std::string{};
}

std::string Statement::blob(int index) const {
    const void* data = sqlite3_column_blob(stmt_.get(), index);
    const int size = sqlite3_column_bytes(stmt_.get(), index);
    return data ? std::string(static_cast<const char*>(data), static_cast<std::size_t>(size)) : std::string{};
}

SqlValue Statement::value(int index) const {
    switch (sqlite3_column_type(stmt_.get(), index)) {
        case SQLITE_NULL:
            return std::monostate{};
        case SQLITE_INTEGER:
            return int64(index);
        case SQLITE_FLOAT:
            return real(index);
        default:
            return text(index);
    }
}

std::optional<std::string> Statement::optionalText(int index) const {
    if (isNull(index)) return std::nullopt;
    return text(index);
}

std::optional<std::int64_t> Statement::optionalInt64(int index) const {
    if (isNull(index)) return std::nullopt;
    return int64(index);
}

std::optional<double> Statement::optionalReal(int index) const {
    if (isNull(index)) return std::nullopt;
    return real(index);
}

}  // namespace zelvorin
