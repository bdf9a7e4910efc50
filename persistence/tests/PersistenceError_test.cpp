#include "persistence/PersistenceError.h"

#include <gtest/gtest.h>

#include "persistence/sqlite/Connection.h"
#include "persistence/sqlite/SqliteError.h"
#include "testing/TempDir.h"

namespace zelvorin {
namespace {

template <class F>
std::optional<PersistenceError::Kind> kindOfFailure(F&& f) {
    try {
        f();
    } catch (const SqliteError& error) {
        return persistenceErrorKind(error);
    }
    return std::nullopt;
}

// Real failures of SQLite, each as the kind the user is told about.
TEST(PersistenceErrorTest, SqliteFailuresAreTheKindsTheUserIsToldAbout) {
    testing::TempDir dir;
    Connection writer = Connection::open(dir / "db.sqlite");
    writer.exec("CREATE TABLE t (id TEXT PRIMARY KEY NOT NULL, body BLOB)");
    writer.exec("INSERT INTO t (id) VALUES ('a')");
    EXPECT_EQ(kindOfFailure([&] { writer.exec("INSERT INTO t (id) VALUES ('a')"); }),
              PersistenceError::Kind::conflict);

    // The database may not grow past its last page: what a full disk looks like to SQLite.
    writer.exec("PRAGMA max_page_count = 8");
    EXPECT_EQ(kindOfFailure([&] {
                  for (int i = 0; i < 100; ++i)
                      writer.exec("INSERT INTO t VALUES ('" + std::to_string(i) + "', zeroblob(4096))");
              }),
              PersistenceError::Kind::diskFull);

    Connection other = Connection::open(dir / "db.sqlite");
    other.setBusyTimeout(0);
    writer.exec("BEGIN IMMEDIATE");
    EXPECT_EQ(kindOfFailure([&] { other.exec("INSERT INTO t (id) VALUES ('b')"); }),
              PersistenceError::Kind::databaseBusy);
    writer.exec("ROLLBACK");

    testing::writeFile(dir / "text.sqlite", std::string(4096, 'x'));
    EXPECT_EQ(kindOfFailure([&] { Connection::open(dir / "text.sqlite").exec("SELECT * FROM t"); }),
              PersistenceError::Kind::databaseUnavailable);
}

TEST(PersistenceErrorTest, ANotFoundNamesTheRecordAndReadsAsASentence) {
    const PersistenceError missing = PersistenceError::notFound("Factuur 'f-1'");
    EXPECT_EQ(missing.kind(), PersistenceError::Kind::notFound);
    EXPECT_EQ(missing.detail(), "Factuur 'f-1'");
    EXPECT_STREQ(missing.what(), "Factuur 'f-1' bestaat niet.");
}

}  // namespace
}  // namespace zelvorin
