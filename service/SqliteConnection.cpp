#include "service/SqliteConnection.h"

#include <sqlite3.h>

#include <utility>

namespace zelvorin::service {

namespace {

[[noreturn]] void fail(sqlite3* database, int code) {
    throw SqliteError(code, database != nullptr ? sqlite3_errmsg(database) : sqlite3_errstr(code));
}

void check(sqlite3* database, int code) {
    if (code != SQLITE_OK) fail(database, code);
}

}  // namespace

SqliteStatement::SqliteStatement(sqlite3* database, std::string_view sql) {
    check(database,
          sqlite3_prepare_v2(database, sql.data(), static_cast<int>(sql.size()), &statement_, nullptr));
}

SqliteStatement::~SqliteStatement() {
    sqlite3_finalize(statement_);
}

SqliteStatement::SqliteStatement(SqliteStatement&& other) noexcept
    : statement_(std::exchange(other.statement_, nullptr)) {}

SqliteStatement& SqliteStatement::operator=(SqliteStatement&& other) noexcept {
    if (this != &other) {
        sqlite3_finalize(statement_);
        statement_ = std::exchange(other.statement_, nullptr);
    }
    return *this;
}

SqliteStatement& SqliteStatement::bind(int index, std::int64_t value) {
    check(sqlite3_db_handle(statement_), sqlite3_bind_int64(statement_, index, value));
    return *this;
}

SqliteStatement& SqliteStatement::bind(int index, std::string_view value) {
    check(sqlite3_db_handle(statement_), sqlite3_bind_text(statement_, index, value.data(),
                                                           static_cast<int>(value.size()), SQLITE_TRANSIENT));
    return *this;
}

SqliteStatement& SqliteStatement::bind(int index, const std::optional<std::string>& value) {
    if (value) return bind(index, std::string_view(*value));
    check(sqlite3_db_handle(statement_), sqlite3_bind_null(statement_, index));
    return *this;
}

bool SqliteStatement::step() {
    const int code = sqlite3_step(statement_);
    if (code == SQLITE_ROW) return true;
    if (code == SQLITE_DONE) return false;
    fail(sqlite3_db_handle(statement_), code);
}

std::int64_t SqliteStatement::integer(int column) const {
    return sqlite3_column_int64(statement_, column);
}

SqliteStatement& SqliteStatement::bindBlob(int index, std::string_view bytes) {
    check(sqlite3_db_handle(statement_), sqlite3_bind_blob(statement_, index, bytes.data(),
                                                           static_cast<int>(bytes.size()), SQLITE_TRANSIENT));
    return *this;
}

std::string SqliteStatement::blob(int column) const {
    const void* bytes = sqlite3_column_blob(statement_, column);
    if (bytes == nullptr) return {};
    return std::string(static_cast<const char*>(bytes),
                       static_cast<std::size_t>(sqlite3_column_bytes(statement_, column)));
}

std::string SqliteStatement::text(int column) const {
    const auto* bytes = sqlite3_column_text(statement_, column);
    if (bytes == nullptr) return {};
    return std::string(reinterpret_cast<const char*>(bytes),
                       static_cast<std::size_t>(sqlite3_column_bytes(statement_, column)));
}

SqliteConnection::SqliteConnection(const std::filesystem::path& path) {
    const int code =
        sqlite3_open_v2(path.c_str(), &database_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (code != SQLITE_OK) {
        const SqliteError error(code,
                                database_ != nullptr ? sqlite3_errmsg(database_) : sqlite3_errstr(code));
        sqlite3_close(database_);
        database_ = nullptr;
        throw error;
    }
    sqlite3_extended_result_codes(database_, 1);
}

SqliteConnection::~SqliteConnection() {
    sqlite3_close(database_);
}

SqliteConnection::SqliteConnection(SqliteConnection&& other) noexcept
    : database_(std::exchange(other.database_, nullptr)) {}

SqliteConnection& SqliteConnection::operator=(SqliteConnection&& other) noexcept {
    if (this != &other) {
        sqlite3_close(database_);
        database_ = std::exchange(other.database_, nullptr);
    }
    return *this;
}

void SqliteConnection::exec(std::string_view sql) {
    const std::string text(sql);
    char* message = nullptr;
    const int code = sqlite3_exec(database_, text.c_str(), nullptr, nullptr, &message);
    if (code != SQLITE_OK) {
        const std::string reason = message != nullptr ? message : sqlite3_errstr(code);
        sqlite3_free(message);
        throw SqliteError(code, reason);
    }
}

SqliteStatement SqliteConnection::prepare(std::string_view sql) const {
    return SqliteStatement(database_, sql);
}

std::int64_t SqliteConnection::lastInsertRowid() const {
    return sqlite3_last_insert_rowid(database_);
}

}  // namespace zelvorin::service
