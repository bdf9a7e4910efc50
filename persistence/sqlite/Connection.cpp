#include "persistence/sqlite/Connection.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <utility>

#include "persistence/sqlite/SqliteError.h"

namespace zelvorin {

void TableAccess::merge(const TableAccess& other) {
    read.insert(other.read.begin(), other.read.end());
    written.insert(other.written.begin(), other.written.end());
}

bool TableAccess::touches(const std::set<std::string>& tables) const {
    return std::any_of(written.begin(), written.end(),
                       [&](const std::string& t) { return tables.count(t) > 0; });
}

void closeDatabase(sqlite3* db) noexcept {
    sqlite3_close_v2(db);
}

Connection::Connection(DatabaseHandle db) : db_(std::move(db)) {
    installAuthorizer();
}

Connection Connection::open(const std::filesystem::path& path, Mode mode) {
    DatabaseHandle db;
    int flags = SQLITE_OPEN_NOMUTEX |
                (mode == Mode::readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    int rc = sqlite3_open_v2(path.c_str(), db.out(), flags, nullptr);
    if (rc != SQLITE_OK) {
        // SQLite hands out a handle even when opening fails, to carry the message; `db` closes it.
        std::string message = db ? sqlite3_errmsg(db.get()) : sqlite3_errstr(rc);
        int code = db ? sqlite3_extended_errcode(db.get()) : rc;
        throw SqliteError(code, message);
    }
    sqlite3_extended_result_codes(db.get(), 1);
    return Connection(std::move(db));
}

Connection Connection::openInMemory() {
    return open(":memory:");
}

Connection::Connection(Connection&& other) noexcept
    : db_(std::move(other.db_)), access_(std::move(other.access_)), cache_(std::move(other.cache_)) {
    if (db_) installAuthorizer();  // the callback carries `this`
}

Connection& Connection::operator=(Connection&& other) noexcept {
    if (this != &other) {
        cache_.clear();  // finalised before their connection closes
        db_ = std::move(other.db_);
        access_ = std::move(other.access_);
        cache_ = std::move(other.cache_);
        if (db_) installAuthorizer();
    }
    return *this;
}

void Connection::installAuthorizer() {
    recording_ = &access_;
    sqlite3_set_authorizer(db_.get(), &Connection::authorize, this);
}

int Connection::authorize(void* self, int action, const char* a, const char*, const char*, const char*) {
    auto* connection = static_cast<Connection*>(self);
    if (a == nullptr || std::string_view(a).starts_with("sqlite_")) return SQLITE_OK;
    switch (action) {
        case SQLITE_READ:
            connection->recording_->read.insert(a);
            break;
        case SQLITE_INSERT:
        case SQLITE_UPDATE:
        case SQLITE_DELETE:
            connection->recording_->written.insert(a);
            break;
        default:
            break;
    }
    return SQLITE_OK;
}

void Connection::exec(std::string_view sql) {
    std::string text(sql);
    char* error = nullptr;
    int rc = sqlite3_exec(db_.get(), text.c_str(), nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        std::string message = error ? error : sqlite3_errmsg(db_.get());
        sqlite3_free(error);
        throw SqliteError(sqlite3_extended_errcode(db_.get()), message);
    }
}

Statement Connection::prepareRecording(std::string_view sql, TableAccess& into) {
    StatementHandle stmt;
    recording_ = &into;
    int rc = sqlite3_prepare_v3(db_.get(), sql.data(), static_cast<int>(sql.size()),
                                SQLITE_PREPARE_PERSISTENT, stmt.out(), nullptr);
    recording_ = &access_;
    if (rc != SQLITE_OK) throw SqliteError(sqlite3_extended_errcode(db_.get()), sqlite3_errmsg(db_.get()));
    return Statement(db_.get(), std::move(stmt));
}

Statement Connection::prepare(std::string_view sql) {
    TableAccess access;
    Statement statement = prepareRecording(sql, access);
    access_.merge(access);
    return statement;
}

Statement& Connection::cached(const std::string& sql) {
    auto it = cache_.find(sql);
    if (it == cache_.end()) {
        auto entry = std::make_unique<CachedStatement>();
        entry->statement = prepareRecording(sql, entry->access);
        it = cache_.emplace(sql, std::move(entry)).first;
    } else {
        it->second->statement.reset();
    }
    access_.merge(it->second->access);
    return it->second->statement;
}

void Connection::resetActiveStatements() {
    for (sqlite3_stmt* stmt = sqlite3_next_stmt(db_.get(), nullptr); stmt != nullptr;
         stmt = sqlite3_next_stmt(db_.get(), stmt)) {
        if (sqlite3_stmt_busy(stmt)) sqlite3_reset(stmt);
    }
}

namespace {

void callSqlFunction(sqlite3_context* context, int count, sqlite3_value** values) {
    const auto& function = *static_cast<const SqlFunction*>(sqlite3_user_data(context));
    std::array<std::optional<std::string_view>, 8> arguments;
    if (count < 0 || static_cast<std::size_t>(count) > arguments.size()) {
        sqlite3_result_error(context, "too many arguments", -1);
        return;
    }
    for (int i = 0; i < count; ++i) {
        if (sqlite3_value_type(values[i]) == SQLITE_NULL) continue;
        const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(values[i]));
        arguments[static_cast<std::size_t>(i)] =
            std::string_view(text, static_cast<std::size_t>(sqlite3_value_bytes(values[i])));
    }
    try {
        const std::string_view result =
            function.call(std::span(arguments.data(), static_cast<std::size_t>(count)));
        sqlite3_result_text64(context, result.data(), result.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    } catch (const std::exception& error) {
        sqlite3_result_error(context, error.what(), -1);
    }
}

}  // namespace

void Connection::defineFunction(const SqlFunction& function) {
    const int rc = sqlite3_create_function_v2(
        db_.get(), function.name, function.argumentCount, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
        const_cast<SqlFunction*>(&function), callSqlFunction, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) throw SqliteError(sqlite3_extended_errcode(db_.get()), sqlite3_errmsg(db_.get()));
}

std::int64_t Connection::changes() const {
    return sqlite3_changes64(db_.get());
}

std::int64_t Connection::lastInsertRowid() const {
    return sqlite3_last_insert_rowid(db_.get());
}

bool Connection::inTransaction() const {
    return sqlite3_get_autocommit(db_.get()) == 0;
}

void Connection::setBusyTimeout(int milliseconds) {
    sqlite3_busy_timeout(db_.get(), milliseconds);
}

TableAccess Connection::takeTableAccess() {
    return std::exchange(access_, {});
}

Transaction::Transaction(Connection& connection, Kind kind) : connection_(connection) {
    connection_.exec(kind == Kind::immediate ? "BEGIN IMMEDIATE" : "BEGIN");
}

Transaction::~Transaction() {
    if (open_ && connection_.inTransaction()) {
        connection_.resetActiveStatements();
        try {
            connection_.exec("ROLLBACK");
        } catch (...) {
            // Nothing more can be done while unwinding; SQLite rolls back on close anyway.
        }
    }
}

void Transaction::commit() {
    connection_.resetActiveStatements();
    connection_.exec("COMMIT");
    open_ = false;
}

}  // namespace zelvorin
