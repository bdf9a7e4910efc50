#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>

#include "persistence/sqlite/SqliteHandles.h"
#include "persistence/sqlite/Statement.h"

namespace zelvorin {

// The tables that statements read and changed, as SQLite's authorizer reported them while they
// were prepared. Internal tables (sqlite_*) are left out.
struct TableAccess {
    std::set<std::string> read;
    std::set<std::string> written;

    void merge(const TableAccess& other);
    bool touches(const std::set<std::string>& tables) const;
};

// A deterministic SQL function of text arguments. It gets its arguments (NULL as nothing) and
// returns text; a std::exception it throws fails the statement with the exception's message.
struct SqlFunction {
    const char* name;
    int argumentCount;
    std::string_view (*call)(std::span<const std::optional<std::string_view>> arguments);
};

// Owner of one sqlite3 connection. Not thread-safe: one thread at a time (the database layer
// guarantees that). Every statement prepared here, cached or not, adds the tables it reads and
// writes to the connection's running TableAccess, which the layer takes per query or transaction.
class Connection {
public:
    enum class Mode { readWriteCreate, readOnly };

    static Connection open(const std::filesystem::path& path, Mode mode = Mode::readWriteCreate);
    static Connection openInMemory();

    Connection() = default;
    ~Connection() = default;  // the cached statements go first (declared after the handle)
    Connection(Connection&& other) noexcept;
    Connection& operator=(Connection&& other) noexcept;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Runs one or more statements without results.
    void exec(std::string_view sql);
    Statement prepare(std::string_view sql);
    // A statement kept for the life of the connection, reset and with its bindings cleared each
    // time it is handed out. For the hot paths (upserts of pull pages, list queries).
    Statement& cached(const std::string& sql);

    // Resets every statement still in the middle of its rows. A statement left mid-result keeps
    // its read snapshot alive past COMMIT, and the next transaction would read that old state.
    void resetActiveStatements();

    // Makes `function` (which must outlive the connection) callable by this connection's SQL.
    void defineFunction(const SqlFunction& function);

    std::int64_t changes() const;
    std::int64_t lastInsertRowid() const;
    bool inTransaction() const;
    void setBusyTimeout(int milliseconds);

    TableAccess takeTableAccess();
    void clearTableAccess() { access_ = {}; }

    // False for a connection that was moved from.
    bool isOpen() const noexcept { return static_cast<bool>(db_); }

private:
    explicit Connection(DatabaseHandle db);
    static int authorize(void* self, int action, const char* a, const char* b, const char* db,
                         const char* trigger);
    Statement prepareRecording(std::string_view sql, TableAccess& into);
    void installAuthorizer();

    struct CachedStatement {
        Statement statement;
        TableAccess access;
    };

    DatabaseHandle db_;
    TableAccess access_;
    TableAccess* recording_ = nullptr;
    std::unordered_map<std::string, std::unique_ptr<CachedStatement>> cache_;
};

// BEGIN on construction, ROLLBACK on destruction unless commit() ran.
class Transaction {
public:
    enum class Kind { deferred, immediate };
    Transaction(Connection& connection, Kind kind);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    Connection& connection_;
    bool open_ = true;
};

}  // namespace zelvorin
