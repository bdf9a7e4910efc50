#pragma once

#include <cstddef>
#include <limits>
#include <string>
#include <vector>

#include "persistence/Schema.h"
#include "persistence/sqlite/Connection.h"

namespace zelvorin {

struct Migration {
    std::string identifier;
    std::vector<std::string> statements;
};

// Brings a database up to date, one migration at a time, in list order.
//
//   ledger checked ──unknown identifier──► refused (a file from another build; nothing changes)
//        │
//        ▼
//   next missing migration ──► BEGIN IMMEDIATE ──► its statements ──► its ledger row ──► COMMIT ─┐
//        ▲                                        │ any failure                                 │
//        │                                        └──► ROLLBACK, error thrown (neither is kept)  │
//        └───────────────────────────────────────────────────────────────────────────────────────┘
//   no migration missing ──► current
//
// The ledger is `grdb_migrations`; a migration is applied exactly when its row is there. The runner
// starts outside any transaction, because each step has to be one of its own.
class MigrationRunner {
public:
    explicit MigrationRunner(std::vector<Migration> migrations) : migrations_(std::move(migrations)) {}
    static MigrationRunner forSchema(const Schema& schema);

    // Applies the missing migrations among the first `limit`; returns the identifiers applied now.
    std::vector<std::string> apply(Connection& connection,
                                   std::size_t limit = std::numeric_limits<std::size_t>::max()) const;

    // The ledger in the order the migrations were applied.
    static std::vector<std::string> appliedIdentifiers(Connection& connection);

    const std::vector<Migration>& migrations() const { return migrations_; }

private:
    std::vector<Migration> migrations_;
};

}  // namespace zelvorin
