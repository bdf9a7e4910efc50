#include "persistence/AppDatabase.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/xattr.h>

#include <cstdlib>
#include <optional>

#include "persistence/DatabaseLocation.h"
#include "persistence/RecordStatements.h"
#include "persistence/sqlite/SqliteError.h"
#include "testing/TempDir.h"

namespace zelvorin {
namespace {

std::int64_t count(AppDatabase& database, const std::string& sql) {
    return database.writer->read([&](Connection& c) {
        Statement s = c.prepare(sql);
        s.step();
        return s.int64(0);
    });
}

std::vector<std::string> schemaIdentifiers() {
    std::vector<std::string> ids;
    for (const auto& m : Schema::shared().migrations())
        ids.push_back(m.identifier);
    return ids;
}

TEST(AppDatabaseIntegrationTest, AFirstStartCreatesTheFolderTheFileAndEveryTable) {
    testing::TempDir root;
    std::vector<std::string> lines;
    OpenedDatabase opened =
        openDefaultDatabase(root.path(), [&](const std::string& l) { lines.push_back(l); });

    EXPECT_TRUE(lines.empty());
    EXPECT_FALSE(opened.inMemory);
    EXPECT_EQ(opened.path, root.path() / "Zelvorin" / "zelvorin.sqlite");
    EXPECT_TRUE(std::filesystem::exists(opened.path));
    EXPECT_EQ(count(opened.database,
                    "SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%' "
                    "AND name <> 'grdb_migrations' AND name NOT LIKE 'draft_invoice_search%'"),
              25);
    EXPECT_EQ(
        count(opened.database, "SELECT COUNT(*) FROM sqlite_master WHERE name = 'draft_invoice_search'"), 1);
    EXPECT_EQ(opened.database.appliedMigrations(), schemaIdentifiers());
    auto mode = opened.database.writer->read([](Connection& c) {
        Statement s = c.prepare("PRAGMA journal_mode");
        s.step();
        return s.text(0);
    });
    EXPECT_EQ(mode, "wal");

    char value[16] = {0};
    ssize_t size = ::getxattr(opened.path.c_str(), "user.xdg.robots.backup", value, sizeof value);
    if (size >= 0 || errno != ENOTSUP) {
        EXPECT_EQ(std::string(value, size > 0 ? static_cast<std::size_t>(size) : 0), "false");
    }
}

TEST(AppDatabaseIntegrationTest, ADatabaseAtMigrationSeventeenGetsExactlyTheRestAndOldRowsReadTheDefaults) {
    testing::TempDir root;
    auto path = root.path() / "old.sqlite";
    MigrationRunner runner = MigrationRunner::forSchema(Schema::shared());
    {
        Connection connection = Connection::open(path);
        runner.apply(connection, 17);
        connection.exec(
            "INSERT INTO invoice_schedule (id, organization_id, customer_id, created_at, updated_at) "
            "VALUES ('s1', 'o1', 'c1', '2026-01-01T00:00:00.000Z', '2026-01-01T00:00:00.000Z')");
        connection.exec(
            "UPDATE invoice_schedule SET schedule_type = 'fixed' WHERE 0");  // column exists at 17
    }
    Connection connection = Connection::open(path);
    std::vector<std::string> appliedNow = runner.apply(connection);
    std::vector<std::string> all = schemaIdentifiers();
    std::vector<std::string> expected(all.begin() + 17, all.end());
    EXPECT_EQ(appliedNow, expected);

    Statement select = connection.prepare("SELECT * FROM invoice_schedule");
    ASSERT_TRUE(select.step());
    InvoiceScheduleRecord schedule = InvoiceScheduleRecord::fromRow(select);
    EXPECT_EQ(schedule.scheduleType, "hourly");
    EXPECT_EQ(schedule.billingMoment, "advance");
    EXPECT_EQ(schedule.lines, "[]");
    EXPECT_FALSE(schedule.autoSend);
    EXPECT_EQ(schedule.reviewWindowHours, 0);
    EXPECT_EQ(schedule.indexationMode, "none");
    EXPECT_EQ(schedule.indexationAnchor, "jan_1");
    EXPECT_EQ(schedule.workdays, "{}");
    EXPECT_EQ(schedule.billingDay, 5);
}

TEST(AppDatabaseIntegrationTest, ConstraintViolationsFailWithSQLitesErrorAndChangeNothing) {
    testing::TempDir root;
    AppDatabase database = AppDatabase::openFile(root / "db.sqlite");
    database.writer->write([](Connection& c) {
        c.exec("INSERT INTO sync_cursor (id, device_id, cursor_token) VALUES (1, '', 'c-1')");
    });
    try {
        database.writer->write([](Connection& c) {
            c.exec("UPDATE sync_cursor SET cursor_token = 'c-2' WHERE id = 1");
            c.exec("INSERT INTO sync_cursor (id, device_id) VALUES (2, '')");
        });
        FAIL() << "a second cursor row was accepted";
    } catch (const SqliteError& error) {
        EXPECT_EQ(error.code(), SQLITE_CONSTRAINT_CHECK);
    }
    EXPECT_EQ(count(database, "SELECT COUNT(*) FROM sync_cursor"), 1);
    EXPECT_EQ(count(database, "SELECT COUNT(*) FROM sync_cursor WHERE cursor_token = 'c-1'"), 1);

    auto upload = [](const std::string& id) {
        PendingUploadRecord record;
        record.id = id;
        record.fileName = "bon.jpg";
        record.mimeType = "image/jpeg";
        record.source = "share";
        record.relativePath = "PendingUploads/" + id;
        record.idempotencyKey = "same-key";
        record.createdAt = "2026-03-01T09:30:00.000Z";
        return record;
    };
    database.writer->write([&](Connection& c) { insertRecord(c, upload("u1")); });
    try {
        database.writer->write([&](Connection& c) { insertRecord(c, upload("u2")); });
        FAIL() << "a duplicate idempotency key was accepted";
    } catch (const SqliteError& error) {
        EXPECT_EQ(error.primaryCode(), SQLITE_CONSTRAINT);
    }
    EXPECT_EQ(count(database, "SELECT COUNT(*) FROM pending_upload"), 1);
}

TEST(AppDatabaseIntegrationTest, AFailedMigrationLeavesNeitherItsChangesNorItsLedgerRow) {
    testing::TempDir root;
    std::vector<Migration> migrations = MigrationRunner::forSchema(Schema::shared()).migrations();
    migrations.push_back(
        {"v27_broken", {"CREATE TABLE half_done (x INTEGER)", "INSERT INTO no_such_table VALUES (1)"}});
    auto writer = DatabaseWriter::openPool(root / "db.sqlite");
    EXPECT_THROW(AppDatabase::openOnWriter(writer, MigrationRunner(migrations)), SqliteError);

    AppDatabase database{writer};
    EXPECT_EQ(database.appliedMigrations().size(), 26u);
    EXPECT_EQ(count(database, "SELECT COUNT(*) FROM sqlite_master WHERE name = 'half_done'"), 0);
}

std::vector<std::filesystem::path> keptCopies(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> kept;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("zelvorin.sqlite.unreadable-") && !name.ends_with("-wal") &&
            !name.ends_with("-shm"))
            kept.push_back(entry.path());
    }
    return kept;
}

TEST(AppDatabaseIntegrationTest, AFileThatIsNotADatabaseIsKeptAsideAndReplaced) {
    testing::TempDir root;
    const auto path = defaultDatabasePath(root.path());
    testing::writeFile(path, "geen database\n");
    std::vector<std::string> lines;
    OpenedDatabase opened =
        openDefaultDatabase(root.path(), [&](const std::string& l) { lines.push_back(l); });

    EXPECT_FALSE(opened.inMemory);
    EXPECT_EQ(opened.database.appliedMigrations(), schemaIdentifiers());
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("nieuwe, lege database"), std::string::npos) << lines[0];
    const auto kept = keptCopies(path.parent_path());
    ASSERT_EQ(kept.size(), 1u);
    ASSERT_EQ(opened.movedAside, kept[0]);
    EXPECT_EQ(testing::readFile(kept[0]), "geen database\n");
}

TEST(AppDatabaseIntegrationTest, ADatabaseOfANewerBuildIsKeptWholeWithItsLogAndNeverWritten) {
    testing::TempDir root;
    const auto path = defaultDatabasePath(root.path());
    std::filesystem::create_directories(path.parent_path());
    // A newer build's database, left open with committed rows still in its write-ahead log.
    AppDatabase newer = AppDatabase::openFile(path);
    newer.writer->write([](Connection& c) {
        c.exec("INSERT INTO grdb_migrations (identifier) VALUES ('v99_from_the_future')");
        c.exec(
            "INSERT INTO customer (id, organization_id, company_name, created_at, updated_at) "
            "VALUES ('c1', 'o1', 'Bakkerij Zoet', 'x', 'x')");
    });
    ASSERT_TRUE(std::filesystem::exists(path.string() + "-wal"));
    const std::string mainBefore = testing::readFile(path);
    const std::string logBefore = testing::readFile(path.string() + "-wal");

    std::vector<std::string> lines;
    OpenedDatabase opened =
        openDefaultDatabase(root.path(), [&](const std::string& l) { lines.push_back(l); });

    ASSERT_TRUE(opened.movedAside);
    EXPECT_EQ(testing::readFile(*opened.movedAside), mainBefore);
    EXPECT_EQ(testing::readFile(opened.movedAside->string() + "-wal"), logBefore);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("nieuwere versie"), std::string::npos) << lines[0];
    EXPECT_EQ(opened.database.appliedMigrations(), schemaIdentifiers());
    EXPECT_EQ(count(opened.database, "SELECT COUNT(*) FROM customer"), 0);

    Connection kept = Connection::open(*opened.movedAside, Connection::Mode::readOnly);
    Statement row = kept.prepare("SELECT company_name FROM customer WHERE id = 'c1'");
    ASSERT_TRUE(row.step());
    EXPECT_EQ(row.text(0), "Bakkerij Zoet");
}

TEST(AppDatabaseIntegrationTest, AFolderThatCannotBeMadeStopsWithADutchMessageAndTouchesNothing) {
    testing::TempDir root;
    testing::writeFile(root / "Zelvorin", "a file where the folder should be");
    try {
        openDefaultDatabase(root.path(), {});
        FAIL() << "expected DatabaseUnavailableError";
    } catch (const DatabaseUnavailableError& error) {
        EXPECT_NE(std::string(error.what()).find("niets aan gewijzigd"), std::string::npos) << error.what();
    }
    EXPECT_EQ(testing::readFile(root / "Zelvorin"), "a file where the folder should be");
}

TEST(AppDatabaseIntegrationTest, TheFolderAndTheFilesAreTheOwnersOnly) {
    testing::TempDir root;
    OpenedDatabase opened = openDefaultDatabase(root.path(), {});
    opened.database.writer->write([](Connection& c) { c.exec("CREATE TABLE probe (x)"); });
    const auto folder = opened.path.parent_path();
    EXPECT_EQ(std::filesystem::status(folder).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_all);
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        EXPECT_EQ(entry.status().permissions() &
                      (std::filesystem::perms::group_all | std::filesystem::perms::others_all),
                  std::filesystem::perms::none)
            << entry.path();
    }
}

TEST(AppDatabaseIntegrationTest, NewRowsTakeTheSyncBookkeepingDefaults) {
    AppDatabase database = AppDatabase::openInMemory();
    database.writer->write([](Connection& c) {
        c.exec(
            "INSERT INTO customer (id, organization_id, company_name, created_at, updated_at) "
            "VALUES ('c1', 'o1', 'Bakkerij Zoet', 'x', 'x')");
    });
    auto customer = database.writer->read([](Connection& c) { return recordById<CustomerRecord>(c, "c1"); });
    ASSERT_TRUE(customer);
    EXPECT_EQ(customer->revision, 1);
    EXPECT_EQ(customer->syncState, "synced");
    EXPECT_FALSE(customer->archived);
    EXPECT_FALSE(customer->idealEnabled.has_value());
}

// Sets or clears environment variables for one test and puts the old values back.
class ScopedEnvironment {
public:
    void set(const char* name, const char* value) {
        const char* old = std::getenv(name);
        saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedEnvironment() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it)
            it->second ? ::setenv(it->first.c_str(), it->second->c_str(), 1) : ::unsetenv(it->first.c_str());
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST(DatabaseLocationTest, TheDataFolderComesFromTheOverrideThenXdgThenHome) {
    ScopedEnvironment env;
    env.set("HOME", "/home/anna");
    env.set("ZELVORIN_DATA_DIR", nullptr);
    env.set("XDG_DATA_HOME", "relative/ignored");
    EXPECT_EQ(applicationSupportDirectory(), "/home/anna/.local/share");
    env.set("XDG_DATA_HOME", "/srv/xdg");
    EXPECT_EQ(applicationSupportDirectory(), "/srv/xdg");
    env.set("ZELVORIN_DATA_DIR", "/tmp/apparaat-2");
    EXPECT_EQ(applicationSupportDirectory(), "/tmp/apparaat-2");
    EXPECT_EQ(defaultDatabasePath("/tmp/apparaat-2"), "/tmp/apparaat-2/Zelvorin/zelvorin.sqlite");
}

}  // namespace
}  // namespace zelvorin
