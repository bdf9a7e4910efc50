#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "persistence/DatabaseWriter.h"
#include "service/store/RequestAudit.h"

namespace zelvorin::service {

// The service's one database, `service.sqlite` in its data directory: accounts, sign-in state,
// records with their change log, push receipts, stored files and the audit log, so that anything
// the service does is one transaction however many of them it touches.
//
// The same layer as the device's database: one writer that serialises every write() as one
// BEGIN IMMEDIATE transaction, and a pool of readers for read() (WAL). Store functions take the
// Connection a read() or write() hands them and never open a transaction of their own.
//
// The data directory is made private to the user (0700) and the database file (with its -wal
// and -shm) readable by the user only (0600): it holds the signing secret and every session.
class ServiceDatabase {
public:
    static constexpr const char* kFileName = "service.sqlite";

    // Creates the directory and the database when missing and migrates it. Throws
    // ServiceError(internal) naming the path when the directory or the file cannot be used, the
    // file is no database, or it comes from a newer build (nothing is changed then).
    explicit ServiceDatabase(const std::filesystem::path& dataDirectory);

    const std::filesystem::path& path() const { return path_; }
    // The secret access tokens are signed with; made on the first start, kept in the database.
    const std::string& signingSecret() const { return signingSecret_; }

    template <class F>
    auto read(F&& f) const -> std::invoke_result_t<F, Connection&> {
        return writer_->read(std::forward<F>(f));
    }
    // Each write() that changes a row while a route is answered carries that route's audit entry
    // (RequestAudit), in the same transaction.
    template <class F>
    auto write(F&& f) const -> std::invoke_result_t<F, Connection&> {
        return writer_->write([&f](Connection& db) -> std::invoke_result_t<F, Connection&> {
            const std::int64_t changesBefore = RequestAudit::changesSoFar(db);
            if constexpr (std::is_void_v<std::invoke_result_t<F, Connection&>>) {
                f(db);
                RequestAudit::beforeCommit(db, changesBefore);
            } else {
                auto result = f(db);
                RequestAudit::beforeCommit(db, changesBefore);
                return result;
            }
        });
    }

    std::vector<std::string> appliedMigrations() const;

private:
    std::filesystem::path path_;
    std::shared_ptr<DatabaseWriter> writer_;
    std::string signingSecret_;
};

}  // namespace zelvorin::service
