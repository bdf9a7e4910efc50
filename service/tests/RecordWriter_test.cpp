#include "service/store/RecordWriter.h"

#include <gtest/gtest.h>

#include "persistence/sqlite/Connection.h"
#include "persistence/sqlite/SqliteError.h"
#include "service/http/ServiceError.h"
#include "service/store/Accounts.h"
#include "service/store/AuditLog.h"
#include "service/store/ServiceDatabase.h"
#include "testing/TempDir.h"

namespace zelvorin::service {
namespace {

using Json = nlohmann::ordered_json;

constexpr const char* kOrg = "org-1";
const TimePoint kMonday{std::chrono::sys_days{std::chrono::year{2025} / std::chrono::March / 3}};
const Actor kDevice{ChangeSource::push, "user-1", "device-1"};

Json customer(const std::string& id, const std::string& name) {
    return Json{{"id", id},
                {"organizationId", kOrg},
                {"companyName", name},
                {"createdAt", "2025-03-03T00:00:00.000Z"},
                {"updatedAt", "2025-03-03T00:00:00.000Z"},
                {"revision", 99}};
}

RecordChange put(const std::string& id, const std::string& name, int minutesLater = 0) {
    return RecordChange{kOrg,
                        SyncEntityType::customer,
                        id,
                        RecordOperation::put,
                        customer(id, name),
                        kMonday + std::chrono::minutes(minutesLater),
                        kDevice,
                        std::nullopt};
}

class RecordWriterIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        database.write([](Connection& db) {
            accounts::addOrganization(db, {kOrg, "Eerste", "2025-01-01T00:00:00.000Z"});
            accounts::addOrganization(db, {"org-2", "Tweede", "2025-01-01T00:00:00.000Z"});
        });
    }

    StoredRecord write(RecordChange change) {
        return database.write([&](Connection& db) { return writeRecord(db, std::move(change)); });
    }
    std::optional<StoredRecord> find(const std::string& id) {
        return database.read([&](Connection& db) { return records::find(db, kOrg, "customer", id); });
    }
    std::int64_t lastSequence() {
        return database.read([](Connection& db) { return records::lastSequence(db); });
    }
    std::vector<AuditEntry> audit() {
        return database.read([](Connection& db) { return auditlog::newest(db, kOrg, 100); });
    }

    testing::TempDir dir;
    ServiceDatabase database{dir.path() / "data"};
};

TEST_F(RecordWriterIntegrationTest, EveryWriteBumpsTheRevisionTakesTheNextSequenceAndIsAudited) {
    const StoredRecord a1 = write(put("a", "Alfa"));
    const StoredRecord b1 = write(put("b", "Beta"));
    const StoredRecord a2 = write(put("a", "Alfa B.V.", 5));
    EXPECT_EQ(a1.revision, 1);
    EXPECT_EQ(a2.revision, 2);
    EXPECT_LT(a1.sequence, b1.sequence);
    EXPECT_LT(b1.sequence, a2.sequence);
    EXPECT_EQ(lastSequence(), a2.sequence);

    // The bookkeeping members are the writer's, whatever the caller sent.
    const StoredRecord stored = *find("a");
    EXPECT_EQ(stored.payload["revision"], 2);
    EXPECT_EQ(stored.payload["serverModifiedAt"], "2025-03-03T00:05:00.000Z");
    EXPECT_EQ(stored.payload["companyName"], "Alfa B.V.");

    // Newest change last, each record once; only its own organisation's.
    const std::vector<StoredRecord> all =
        database.read([](Connection& db) { return records::all(db, kOrg, {}); });
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].id, "b");
    EXPECT_EQ(all[1].id, "a");
    EXPECT_TRUE(database.read([](Connection& db) { return records::all(db, "org-2", {}); }).empty());

    const std::vector<AuditEntry> entries = audit();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].sequence, a2.sequence);
    EXPECT_EQ(entries[0].action, "update");
    EXPECT_EQ(entries[0].entityType, "customer");
    EXPECT_EQ(entries[0].entityId, "a");
    EXPECT_EQ(entries[0].revision, 2);
    EXPECT_EQ(entries[0].at, "2025-03-03T00:05:00.000Z");
    EXPECT_EQ(entries[0].source, "push");
    EXPECT_EQ(entries[0].userId, "user-1");
    EXPECT_EQ(entries[0].deviceId, "device-1");
    EXPECT_EQ(entries[2].action, "create");
}

TEST_F(RecordWriterIntegrationTest, APayloadThatDoesNotFitItsEntityWritesNothing) {
    write(put("a", "Alfa"));
    const std::int64_t sequence = lastSequence();
    RecordChange missingName = put("a", "Alfa");
    missingName.payload.erase("companyName");
    RecordChange wrongType = put("b", "Beta");
    wrongType.payload["paymentTermsOverride"] = "dertig";
    RecordChange otherId = put("c", "Gamma");
    otherId.payload["id"] = "d";
    for (RecordChange& change : std::vector{missingName, wrongType, otherId}) {
        try {
            write(change);
            ADD_FAILURE() << change.id << " was written";
        } catch (const ServiceError& error) {
            EXPECT_EQ(error.kind(), ErrorKind::unprocessable);
        }
    }
    EXPECT_EQ(lastSequence(), sequence);
    EXPECT_EQ(find("a")->payload["companyName"], "Alfa");
    EXPECT_FALSE(find("b"));
    EXPECT_EQ(audit().size(), 1u);
}

TEST_F(RecordWriterIntegrationTest, RemoveLeavesATombstoneAndRestateKeepsTheRevision) {
    write(put("a", "Alfa"));
    RecordChange restated = put("a", "Alfa (afgeleid)", 1);
    restated.operation = RecordOperation::restate;
    const StoredRecord kept = write(restated);
    EXPECT_EQ(kept.revision, 1);
    EXPECT_EQ(audit().front().action, "restate");

    RecordChange remove{kOrg, SyncEntityType::customer,        "a",     RecordOperation::remove,
                        {},   kMonday + std::chrono::hours(1), kDevice, std::nullopt};
    const StoredRecord deleted = write(remove);
    EXPECT_TRUE(deleted.deleted);
    EXPECT_EQ(deleted.revision, 2);
    EXPECT_EQ(deleted.payload["companyName"], "Alfa (afgeleid)");
    EXPECT_EQ(deleted.payload["deletedAt"], "2025-03-03T01:00:00.000Z");
    EXPECT_TRUE(find("a")->deleted);
    EXPECT_EQ(audit().front().action, "delete");

    restated.at += std::chrono::hours(2);
    EXPECT_THROW(write(restated), ServiceError);  // a tombstone has nothing to restate
    remove.id = "onbekend";
    try {
        write(remove);
        FAIL();
    } catch (const ServiceError& error) {
        EXPECT_EQ(error.kind(), ErrorKind::notFound);
    }
}

TEST_F(RecordWriterIntegrationTest, ARepeatedIdempotencyKeyOrAFailingTransactionWritesNothing) {
    RecordChange first = put("a", "Alfa");
    first.idempotencyKey = "key-1";
    write(first);
    const std::int64_t sequence = lastSequence();
    RecordChange again = put("a", "Alfa gewijzigd");
    again.idempotencyKey = "key-1";
    EXPECT_THROW(write(again), SqliteError);
    EXPECT_EQ(find("a")->payload["companyName"], "Alfa");
    EXPECT_EQ(lastSequence(), sequence);

    RecordChange elsewhere = put("a", "Alfa");
    elsewhere.organizationId = "org-2";
    elsewhere.payload["organizationId"] = "org-2";
    elsewhere.idempotencyKey = "key-1";  // keys are per organisation
    EXPECT_NO_THROW(write(elsewhere));

    EXPECT_THROW(database.write([&](Connection& db) {
        writeRecord(db, put("b", "Beta"));
        throw std::runtime_error("halverwege");
    }),
                 std::runtime_error);
    EXPECT_FALSE(find("b"));
    EXPECT_EQ(audit().size(), 1u);
}

}  // namespace
}  // namespace zelvorin::service
