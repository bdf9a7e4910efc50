#include "persistence/sqlite/BareReader.h"

#include <sqlite3.h>

#include "persistence/sqlite/SqliteError.h"

namespace zelvorin {

namespace {

void bindValue(sqlite3_stmt* statement, int index, const SqlValue& value) {
    if (const auto* text = std::get_if<std::string>(&value)) {
        sqlite3_bind_text(statement, index, text->c_str(), static_cast<int>(text->size()), SQLITE_TRANSIENT);
    } else if (const auto* integer = std::get_if<std::int64_t>(&value)) {
        sqlite3_bind_int64(statement, index, *integer);
    } else if (const auto* real = std::get_if<double>(&value)) {
        sqlite3_bind_double(statement, index, *real);
    } else {
        sqlite3_bind_null(statement, index);
    }
}

}  // namespace

BareReader::BareReader(const std::filesystem::path& path) {
    const int rc = sqlite3_open_v2(path.c_str(), db_.out(), SQLITE_OPEN_READONLY, nullptr);
    if (rc != SQLITE_OK) throw SqliteError(rc, db_ ? sqlite3_errmsg(db_.get()) : sqlite3_errstr(rc));
}

BareReader::Run BareReader::run(const std::string& sql, const std::vector<SqlValue>& arguments) const {
    sqlite3* db = db_.get();
    StatementHandle owner;
    if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), owner.out(), nullptr) != SQLITE_OK)
        throw SqliteError(sqlite3_extended_errcode(db), sqlite3_errmsg(db));
    sqlite3_stmt* statement = owner.get();
    for (std::size_t i = 0; i < arguments.size(); ++i)
        bindValue(statement, static_cast<int>(i + 1), arguments[i]);
    Run run;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        ++run.rows;
        for (int c = 0; c < sqlite3_column_count(statement); ++c) {
            if (sqlite3_column_type(statement, c) == SQLITE_INTEGER) {
                run.bytes += static_cast<std::size_t>(sqlite3_column_int64(statement, c) != 0);
            } else if (const unsigned char* text = sqlite3_column_text(statement, c)) {
                run.bytes += std::string(reinterpret_cast<const char*>(text)).size();
            }
        }
    }
    if (rc != SQLITE_DONE) throw SqliteError(sqlite3_extended_errcode(db), sqlite3_errmsg(db));
    return run;
}

}  // namespace zelvorin
