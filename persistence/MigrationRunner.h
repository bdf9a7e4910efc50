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

// Brings a database up to date, one migration at a time.
//
//   empty ──► ledger holds v1..vk ──► ledger holds v1..vN (current)
//
// Each step is one IMMEDIATE transaction holding the migration's statements and its ledger row
// in `grdb_migrations`, so a failing statement leaves neither. Steps run strictly in list order;
// a ledger naming a migration this build does not know (a file from another build) is refused.
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
