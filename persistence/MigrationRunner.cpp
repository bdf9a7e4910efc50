#include "persistence/MigrationRunner.h"

#include <sqlite3.h>

#include <algorithm>
#include <cassert>
#include <stdexcept>

#include "persistence/FaultPoint.h"
#include "persistence/sqlite/SqliteError.h"

namespace zelvorin {

namespace {

void createLedger(Connection& connection) {
    connection.exec("CREATE TABLE IF NOT EXISTS grdb_migrations (identifier TEXT NOT NULL PRIMARY KEY)");
}

}  // namespace

MigrationRunner MigrationRunner::forSchema(const Schema& schema) {
    std::vector<Migration> migrations;
    for (const auto& description : schema.migrations())
        migrations.push_back({description.identifier, description.statements});
    return MigrationRunner(std::move(migrations));
}

std::vector<std::string> MigrationRunner::appliedIdentifiers(Connection& connection) {
    createLedger(connection);
    std::vector<std::string> identifiers;
    Statement select = connection.prepare("SELECT identifier FROM grdb_migrations ORDER BY rowid");
    while (select.step())
        identifiers.push_back(select.text(0));
    return identifiers;
}

std::vector<std::string> MigrationRunner::apply(Connection& connection, std::size_t limit) const {
    std::vector<std::string> done = appliedIdentifiers(connection);
    for (const auto& identifier : done) {
        bool known = std::any_of(migrations_.begin(), migrations_.end(),
                                 [&](const Migration& m) { return m.identifier == identifier; });
        if (!known) {
            throw SqliteError(SQLITE_ERROR, "de database komt van een andere versie (onbekende migratie " +
                                                identifier + ")");
        }
    }
    std::vector<std::string> appliedNow;
    std::size_t count = std::min(limit, migrations_.size());
    for (std::size_t i = 0; i < count; ++i) {
        const Migration& migration = migrations_[i];
        if (std::find(done.begin(), done.end(), migration.identifier) != done.end()) continue;
        assert(!connection.inTransaction() && "each migration must be a transaction of its own");
        Transaction transaction(connection, Transaction::Kind::immediate);
        for (const auto& statement : migration.statements)
            connection.exec(statement);
        faultPoint("migration.statementsRun");
        Statement record = connection.prepare("INSERT INTO grdb_migrations (identifier) VALUES (?)");
        record.bind(1, migration.identifier).run();
        faultPoint("migration.ledgerRowWritten");
        transaction.commit();
        faultPoint("migration.committed");
        appliedNow.push_back(migration.identifier);
    }
    return appliedNow;
}

}  // namespace zelvorin
