#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace zelvorin::service {

// An SQLite failure: the result code and SQLite's own message.
class SqliteError : public std::runtime_error {
public:
    SqliteError(int code, const std::string& message) : std::runtime_error(message), code_(code) {}
    int code() const { return code_; }

private:
    int code_;
};

// A prepared statement; move-only, finalised on destruction. Parameters are 1-based, columns
// 0-based, as in SQLite.
class SqliteStatement {
public:
    SqliteStatement() = default;
    SqliteStatement(sqlite3* database, std::string_view sql);
    ~SqliteStatement();
    SqliteStatement(SqliteStatement&& other) noexcept;
    SqliteStatement& operator=(SqliteStatement&& other) noexcept;
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    SqliteStatement& bind(int index, std::int64_t value);
    SqliteStatement& bind(int index, std::string_view value);
    SqliteStatement& bind(int index, const std::string& value) {
        return bind(index, std::string_view(value));
    }
    SqliteStatement& bind(int index, const char* value) { return bind(index, std::string_view(value)); }
    SqliteStatement& bind(int index, const std::optional<std::string>& value);
    SqliteStatement& bindBlob(int index, std::string_view bytes);

    // True while a row is available; false once the statement is done.
    bool step();
    std::int64_t integer(int column) const;
    std::string text(int column) const;
    std::string blob(int column) const;

private:
    sqlite3_stmt* statement_ = nullptr;
};

// One connection; move-only, closed on destruction.
class SqliteConnection {
public:
    SqliteConnection() = default;
    // Opens (creating when missing) the database file, read-write.
    explicit SqliteConnection(const std::filesystem::path& path);
    ~SqliteConnection();
    SqliteConnection(SqliteConnection&& other) noexcept;
    SqliteConnection& operator=(SqliteConnection&& other) noexcept;
    SqliteConnection(const SqliteConnection&) = delete;
    SqliteConnection& operator=(const SqliteConnection&) = delete;

    void exec(std::string_view sql);
    SqliteStatement prepare(std::string_view sql) const;
    std::int64_t lastInsertRowid() const;

private:
    sqlite3* database_ = nullptr;
};

}  // namespace zelvorin::service
