#include <gtest/gtest.h>
#include <sqlite3.h>

#include <stdexcept>

#include "persistence/sqlite/BareReader.h"
#include "persistence/sqlite/Connection.h"
#include "persistence/sqlite/SqliteError.h"
#include "testing/TempDir.h"

namespace zelvorin {
namespace {

Connection scratch() {
    Connection connection = Connection::openInMemory();
    connection.exec(
        "CREATE TABLE a (id TEXT PRIMARY KEY NOT NULL, n INTEGER, x REAL, note TEXT);"
        "CREATE TABLE b (id TEXT PRIMARY KEY NOT NULL)");
    connection.clearTableAccess();
    return connection;
}

template <class F>
SqliteError errorOf(F&& f) {
    try {
        f();
    } catch (const SqliteError& error) {
        return error;
    }
    ADD_FAILURE() << "no SqliteError";
    return SqliteError(SQLITE_OK, "");
}

TEST(SqliteLayerTest, ErrorsCarrySQLitesCodeAndMessageAsGiven) {
    Connection c = scratch();
    SqliteError syntax = errorOf([&] { c.prepare("SELEC 1"); });
    EXPECT_EQ(syntax.code(), SQLITE_ERROR);
    EXPECT_STREQ(syntax.what(), "near \"SELEC\": syntax error");

    SqliteError notNull = errorOf([&] { c.prepare("INSERT INTO a (id) VALUES (NULL)").run(); });
    EXPECT_EQ(notNull.code(), SQLITE_CONSTRAINT_NOTNULL);
    EXPECT_EQ(notNull.primaryCode(), SQLITE_CONSTRAINT);
    EXPECT_STREQ(notNull.what(), "NOT NULL constraint failed: a.id");

    SqliteError duplicate =
        errorOf([&] { c.exec("INSERT INTO b VALUES ('k'); INSERT INTO b VALUES ('k')"); });
    EXPECT_EQ(duplicate.code(), SQLITE_CONSTRAINT_PRIMARYKEY);
}

TEST(SqliteLayerTest, ValuesBindByIndexAndReadByIndexOrName) {
    Connection c = scratch();
    Statement insert = c.prepare("INSERT INTO a (id, n, x, note) VALUES (?, ?, ?, ?)");
    insert.bindAll(std::string("r1"), std::int64_t{1} << 40, 0.25, std::optional<std::string>{}).run();
    EXPECT_EQ(c.changes(), 1);
    insert.reset();
    insert.bindAll("r2", std::optional<std::int64_t>{}, nullptr, std::optional<std::string>{"Één"}).run();

    Statement select = c.prepare("SELECT id, n, x, note, n IS NULL AS missing FROM a ORDER BY id");
    ASSERT_TRUE(select.step());
    EXPECT_EQ(select.text("id"), "r1");
    EXPECT_EQ(select.int64("n"), std::int64_t{1} << 40);
    EXPECT_EQ(select.real(2), 0.25);
    EXPECT_EQ(select.optionalText("note"), std::nullopt);
    EXPECT_EQ(select.value("x"), SqlValue(0.25));
    ASSERT_TRUE(select.step());
    EXPECT_EQ(select.optionalInt64("n"), std::nullopt);
    EXPECT_EQ(select.optionalReal("x"), std::nullopt);
    EXPECT_EQ(select.text(3), "Één");
    EXPECT_EQ(select.int64("missing"), 1);
    EXPECT_FALSE(select.step());
    EXPECT_EQ(errorOf([&] { select.text("nope"); }).code(), SQLITE_RANGE);

    c.exec("UPDATE a SET n = 7");
    EXPECT_EQ(c.changes(), 2);
}

TEST(SqliteLayerTest, BlobsKeepEveryByte) {
    Connection connection = Connection::openInMemory();
    connection.exec("CREATE TABLE f (bytes BLOB NOT NULL)");
    const std::string bytes = std::string("%PDF-") + '\0' + '\xFF' + "\nend" + '\0';
    connection.prepare("INSERT INTO f (bytes) VALUES (?)").bindBlob(1, bytes).run();
    Statement select = connection.prepare("SELECT bytes, typeof(bytes) FROM f");
    ASSERT_TRUE(select.step());
    EXPECT_EQ(select.blob(0), bytes);
    EXPECT_EQ(select.text(1), "blob");
}

TEST(SqliteLayerIntegrationTest, TheBareBaselineReadsWhatTheLayerReads) {
    testing::TempDir dir;
    {
        Connection connection = Connection::open(dir / "bare.sqlite");
        connection.exec(
            "CREATE TABLE a (id TEXT PRIMARY KEY NOT NULL, n INTEGER); INSERT INTO a VALUES ('x', 1), "
            "('yy', 0), ('zzz', 2)");
    }
    const BareReader bare(dir / "bare.sqlite");
    const BareReader::Run run = bare.run("SELECT id, n FROM a WHERE id <> ? ORDER BY id", {sqlValue("x")});
    EXPECT_EQ(run.rows, 2u);
    EXPECT_EQ(run.bytes, 2u + 3u + 1u);  // the two ids, and one for the one non-zero n
    EXPECT_THROW(bare.run("SELECT nothing FROM nowhere", {}), SqliteError);
    EXPECT_THROW(BareReader(dir / "missing" / "bare.sqlite"), SqliteError);
}

TEST(SqliteLayerTest, ATransactionCommitsOnlyWhenToldAndRollsBackWhenUnwinding) {
    Connection c = scratch();
    auto rows = [&] {
        Statement s = c.prepare("SELECT COUNT(*) FROM b");
        s.step();
        return s.int64(0);
    };
    try {
        Transaction transaction(c, Transaction::Kind::immediate);
        c.exec("INSERT INTO b VALUES ('lost')");
        throw std::runtime_error("afgebroken");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(rows(), 0);
    EXPECT_FALSE(c.inTransaction());
    {
        Transaction transaction(c, Transaction::Kind::deferred);
        c.exec("INSERT INTO b VALUES ('kept')");
        transaction.commit();
    }
    EXPECT_EQ(rows(), 1);
}

TEST(SqliteLayerTest, CachedStatementsAreReusedWithFreshBindings) {
    Connection c = scratch();
    c.exec("INSERT INTO a (id, n) VALUES ('r1', 1), ('r2', NULL), ('r3', NULL)");
    const std::string sql = "SELECT COUNT(*) FROM a WHERE n IS ?";
    Statement& first = c.cached(sql);
    first.bind(1, 1).step();
    EXPECT_EQ(first.int64(0), 1);
    Statement& again = c.cached(sql);  // handed out mid-row: reset, bindings cleared (NULL)
    EXPECT_EQ(&again, &first);
    ASSERT_TRUE(again.step());
    EXPECT_EQ(again.int64(0), 2) << "the cleared binding reads as NULL";
}

TEST(SqliteLayerTest, ReadsByNameFollowTheColumnsOfEachRunOfACachedStatement) {
    Connection c = scratch();
    c.exec("CREATE TABLE pair (x TEXT, y TEXT); INSERT INTO pair VALUES ('x1', 'y1')");
    const std::string sql = "SELECT * FROM pair";
    Statement& first = c.cached(sql);
    ASSERT_TRUE(first.step());
    EXPECT_EQ(first.text("y"), "y1");
    EXPECT_EQ(first.text("x"), "x1");  // behind the last column read
    EXPECT_EQ(first.text("y"), "y1");
    first.reset();

    // The same text now selects the columns the other way round: SQLite prepares it again.
    c.exec(
        "DROP TABLE pair; CREATE TABLE pair (y TEXT, x TEXT, z TEXT); INSERT INTO pair VALUES ('y2', 'x2', "
        "'z2')");
    Statement& again = c.cached(sql);
    ASSERT_TRUE(again.step());
    EXPECT_EQ(again.text("x"), "x2");
    EXPECT_EQ(again.text("y"), "y2");
    EXPECT_EQ(again.text("z"), "z2");
    EXPECT_EQ(errorOf([&] { again.text("w"); }).code(), SQLITE_RANGE);
}

TEST(SqliteLayerTest, ACachedStatementKnowsHowManyRowsItsPreviousRunReturned) {
    Connection c = scratch();
    c.exec("INSERT INTO a (id, n) VALUES ('r1', 1), ('r2', 2), ('r3', 3)");
    const std::string sql = "SELECT id FROM a WHERE n >= ?";
    c.cached(sql).bind(1, 1).run();
    EXPECT_EQ(c.cached(sql).rowsOfLastRun(), 3u);
    Statement& partly = c.cached(sql).bind(1, 2);
    partly.step();  // abandoned after one row
    EXPECT_EQ(c.cached(sql).rowsOfLastRun(), 1u);
}

// "a/b", "-" for NULL; refuses a NULL first argument.
std::string_view joined(std::span<const std::optional<std::string_view>> arguments) {
    if (!arguments[0]) throw std::invalid_argument("geen eerste waarde");
    thread_local std::string result;
    result = std::string(*arguments[0]) + "/" + std::string(arguments[1].value_or("-"));
    return result;
}

TEST(SqliteLayerTest, DefinedFunctionsSeeTextAndNullAndFailTheirStatementWithTheirMessage) {
    static constexpr SqlFunction kJoined{"joined", 2, joined};
    Connection c = scratch();
    c.defineFunction(kJoined);
    c.exec("INSERT INTO a (id, n, note) VALUES ('r1', 7, 'x'), ('r2', 8, NULL)");
    c.exec("UPDATE a SET note = joined(id, note)");
    const auto notes = [&] {
        Statement select = c.prepare("SELECT group_concat(note, ' ') FROM (SELECT note FROM a ORDER BY id)");
        return select.step() ? select.text(0) : std::string();
    };
    EXPECT_EQ(notes(), "r1/x r2/-");

    const SqliteError error =
        errorOf([&] { c.exec("UPDATE a SET note = joined(NULL, id) WHERE id = 'r1'"); });
    EXPECT_EQ(std::string(error.what()), "geen eerste waarde");
    EXPECT_EQ(notes(), "r1/x r2/-") << "the failed statement changed nothing";
}

TEST(SqliteLayerTest, TableAccessNamesWhatStatementsReadAndChangeAndSurvivesMoves) {
    Connection original = scratch();
    Connection c = std::move(original);
    EXPECT_FALSE(original.isOpen());  // NOLINT(bugprone-use-after-move)
    EXPECT_TRUE(c.isOpen());

    c.cached("SELECT COUNT(*) FROM a").step();
    TableAccess counted = c.takeTableAccess();
    EXPECT_EQ(counted.read, (std::set<std::string>{"a"}));
    EXPECT_TRUE(counted.written.empty());

    c.cached("SELECT COUNT(*) FROM a").step();  // from the cache: still reported
    EXPECT_EQ(c.takeTableAccess().read, (std::set<std::string>{"a"}));

    c.exec("DELETE FROM b");  // no WHERE: SQLite may truncate, which the update hook never sees
    c.prepare("INSERT INTO a (id) SELECT id FROM b").run();
    TableAccess changed = c.takeTableAccess();
    EXPECT_EQ(changed.written, (std::set<std::string>{"a", "b"}));
    EXPECT_TRUE(changed.touches({"b"}));
    EXPECT_FALSE(changed.touches({"customer"}));
}

}  // namespace
}  // namespace zelvorin
