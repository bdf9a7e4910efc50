#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "persistence/AppDatabase.h"
#include "persistence/FaultPoint.h"
#include "testing/ChildProcess.h"
#include "testing/TempDir.h"

namespace zelvorin {
namespace {

// Runs the migrations on `path` in a child process that is killed at the `pass`-th pass of
// `point`. Returns false when the child was not killed there (the point never fired).
bool migrateAndDieAt(const std::filesystem::path& path, const char* point, int pass) {
    return testing::killedInChild([&] {
        armFaultPoint(point, pass);
        Connection connection = Connection::open(path);
        connection.exec("PRAGMA journal_mode=WAL");
        MigrationRunner::forSchema(Schema::shared()).apply(connection);
    });
}

std::set<std::string> columnsOf(Connection& connection, const std::string& table) {
    std::set<std::string> columns;
    Statement info = connection.prepare("SELECT name FROM pragma_table_info(?)");
    info.bind(1, table);
    while (info.step())
        columns.insert(info.text(0));
    return columns;
}

// Every table and column is there exactly when the migration that made it is in the ledger.
void expectSchemaMatchesLedger(Connection& connection, const std::vector<std::string>& ledger) {
    auto applied = [&](const std::string& id) {
        return std::find(ledger.begin(), ledger.end(), id) != ledger.end();
    };
    for (const auto& table : Schema::shared().tables()) {
        std::set<std::string> columns = columnsOf(connection, table.name);
        for (const auto& column : table.columns) {
            bool expected = applied(column.addedBy.empty() ? table.createdBy : column.addedBy);
            EXPECT_EQ(columns.count(column.name) == 1, expected) << table.name << "." << column.name;
        }
    }
}

TEST(CrashSafetyIntegrationTest, AMigrationKilledAtAnyPointIsEitherWhollyThereOrNotAtAll) {
    const auto& migrations = Schema::shared().migrations();
    struct Point {
        const char* name;
        bool survives;  // whether the migration being run when the process died is kept
    };
    for (Point point : {Point{"migration.statementsRun", false}, Point{"migration.ledgerRowWritten", false},
                        Point{"migration.committed", true}}) {
        for (int pass = 1; pass <= static_cast<int>(migrations.size()); pass += 5) {
            SCOPED_TRACE(std::string(point.name) + " pass " + std::to_string(pass));
            testing::TempDir root;
            auto path = root / "db.sqlite";
            ASSERT_TRUE(migrateAndDieAt(path, point.name, pass));

            Connection connection = Connection::open(path);
            Statement check = connection.prepare("PRAGMA integrity_check");
            ASSERT_TRUE(check.step());
            EXPECT_EQ(check.text(0), "ok");
            std::vector<std::string> ledger = MigrationRunner::appliedIdentifiers(connection);
            ASSERT_EQ(ledger.size(), static_cast<std::size_t>(point.survives ? pass : pass - 1));
            for (std::size_t i = 0; i < ledger.size(); ++i)
                EXPECT_EQ(ledger[i], migrations[i].identifier);
            expectSchemaMatchesLedger(connection, ledger);

            // The next start finishes the job.
            EXPECT_EQ(MigrationRunner::forSchema(Schema::shared()).apply(connection).size(),
                      migrations.size() - ledger.size());
        }
    }
}

}  // namespace
}  // namespace zelvorin
