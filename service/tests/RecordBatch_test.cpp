#include "service/store/RecordBatch.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "persistence/sqlite/Connection.h"
#include "service/store/Accounts.h"
#include "service/store/RecordWriter.h"
#include "service/store/ServiceDatabase.h"
#include "testing/TempDir.h"

namespace zelvorin::service {
namespace {

using Json = nlohmann::ordered_json;

constexpr const char* kOrg = "org-1";
const TimePoint kMonday{std::chrono::sys_days{std::chrono::year{2025} / std::chrono::March / 3}};

RecordChange put(const std::string& id, const std::string& name, int minute, Actor actor) {
    return RecordChange{kOrg,
                        SyncEntityType::customer,
                        id,
                        RecordOperation::put,
                        Json{{"id", id},
                             {"organizationId", kOrg},
                             {"companyName", name},
                             {"createdAt", "2025-03-03T00:00:00.000Z"},
                             {"updatedAt", "2025-03-03T00:00:00.000Z"}},
                        kMonday + std::chrono::minutes(minute),
                        std::move(actor),
                        std::nullopt};
}

RecordChange removal(const std::string& id, int minute, Actor actor) {
    return RecordChange{kOrg,
                        SyncEntityType::customer,
                        id,
                        RecordOperation::remove,
                        {},
                        kMonday + std::chrono::minutes(minute),
                        std::move(actor),
                        std::nullopt};
}

// Everything the writes leave behind, as rows of text, in the order pulls and the audit read them.
std::vector<std::string> tables(Connection& db) {
    std::vector<std::string> rows;
    const auto collect = [&](const char* sql) {
        Statement query = db.prepare(sql);
        while (query.step()) {
            std::string row;
            for (int c = 0; c < query.columnCount(); ++c)
                row += (query.isNull(c) ? std::string("NULL") : query.text(c)) + "|";
            rows.push_back(row);
        }
    };
    collect(
        "SELECT sequence, entity_type, entity_id, operation, revision, changed_at, device_id FROM change_log "
        "ORDER BY sequence");
    collect(
        "SELECT entity_type, id, revision, deleted, last_sequence, changed_at, payload FROM record "
        "ORDER BY last_sequence");
    collect(
        "SELECT id, source, user_id, device_id, action, entity_type, entity_id, sequence, revision FROM "
        "audit_entry ORDER BY id");
    collect("SELECT seq FROM sqlite_sequence WHERE name = 'change_log'");
    return rows;
}

class RecordBatchTest : public ::testing::Test {
protected:
    struct Store {
        testing::TempDir dir;
        ServiceDatabase database{dir.path() / "data"};
        Store() {
            database.write([](Connection& db) {
                accounts::addOrganization(db, {kOrg, "Eerste", "2025-01-01T00:00:00.000Z"});
            });
        }
        std::vector<std::string> rows() {
            return database.read([](Connection& db) { return tables(db); });
        }
    };

    // A run of changes like an import's: new records, one changed twice, a tombstone (which
    // cannot be batched) between them, a record read back halfway.
    static void changes(Connection& db, std::vector<std::string>& seen) {
        const Actor route{ChangeSource::route, "user-1", "device-1"};
        writeRecord(db, put("a", "Alfa", 0, route));
        writeRecord(db, put("b", "Beta", 1, route));
        writeRecord(db, put("a", "Alfa B.V.", 2, route));
        seen.push_back(records::find(db, kOrg, "customer", "a")->payload.dump());
        writeRecord(db, put("c", "Gamma", 3, Actor{}));
        writeRecord(db, removal("b", 4, route));
        writeRecord(db, put("b", "Beta terug", 5, route));
        writeRecord(db, put("a", "Alfa Holding", 6, route));
        seen.push_back(std::to_string(records::lastSequence(db)));
        writeRecord(db, put("d", "Delta", 7, route));
    }
};

TEST_F(RecordBatchTest, ABatchLeavesTheSameChangeLogRecordsAndAuditAsWritingOneByOne) {
    Store single;
    Store batched;
    std::vector<std::string> seenSingle;
    std::vector<std::string> seenBatched;
    single.database.write([&](Connection& db) { changes(db, seenSingle); });
    batched.database.write([&](Connection& db) { batchRecordWrites(db, [&] { changes(db, seenBatched); }); });

    EXPECT_EQ(seenBatched, seenSingle);  // reads inside the batch see every write before them
    EXPECT_EQ(batched.rows(), single.rows());
    const auto log =
        batched.database.read([](Connection& db) { return records::changedAfter(db, kOrg, 0, 100, {}); });
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log.back().id, "d");

    // A write after the batch takes the next sequence, as after any other write.
    const StoredRecord next = batched.database.write(
        [](Connection& db) { return writeRecord(db, put("e", "Epsilon", 8, Actor{})); });
    const StoredRecord expected = single.database.write(
        [](Connection& db) { return writeRecord(db, put("e", "Epsilon", 8, Actor{})); });
    EXPECT_EQ(next.sequence, expected.sequence);
    EXPECT_EQ(batched.rows(), single.rows());
}

TEST_F(RecordBatchTest, AFailureInsideTheBatchWritesNothing) {
    Store store;
    const std::vector<std::string> before = store.rows();
    EXPECT_THROW(store.database.write([](Connection& db) {
        batchRecordWrites(db, [&] {
            for (int i = 0; i < 250; ++i)  // past a flush of full multi-row statements
                writeRecord(db, put("r" + std::to_string(i), "Klant", i, Actor{}));
            records::all(db, kOrg, std::string("customer"));
            writeRecord(db, put("x", "Kapot", 0, Actor{}));
            throw std::runtime_error("halverwege mislukt");
        });
    }),
                 std::runtime_error);
    EXPECT_EQ(store.rows(), before);
}

TEST_F(RecordBatchTest, ManyChangesFillWholeStatementsAndTheRestExactly) {
    Store single;
    Store batched;
    // 237 changes = two statements of 100, three of 10 and seven single rows; the last 22 change
    // records written earlier in the batch, so the record table gets fewer rows than the log.
    const auto run = [](Connection& db) {
        for (int i = 0; i < 237; ++i) {
            writeRecord(db, put("r" + std::to_string(i % 215), "Klant " + std::to_string(i), i, Actor{}));
        }
    };
    single.database.write(run);
    batched.database.write([&](Connection& db) { batchRecordWrites(db, [&] { run(db); }); });
    EXPECT_EQ(batched.rows(), single.rows());
}

}  // namespace
}  // namespace zelvorin::service
