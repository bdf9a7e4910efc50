#include "service/Storage.h"

#include <gtest/gtest.h>

#include "service/ServiceError.h"
#include "testing/TempDir.h"

namespace zelvorin::service {
namespace {

using Json = nlohmann::ordered_json;

constexpr const char* kOrg = "org-1";
const TimePoint kMonday{std::chrono::sys_days{
    std::chrono::year_month_day{std::chrono::year{2025}, std::chrono::March, std::chrono::day{3}}}};

RecordWrite customer(const std::string& id, const std::string& name, int minutesLater = 0) {
    return RecordWrite{kOrg,
                       "customer",
                       id,
                       Json{{"id", id}, {"companyName", name}, {"revision", 99}},
                       kMonday + std::chrono::minutes(minutesLater),
                       std::nullopt,
                       std::nullopt};
}

class StorageIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        storage = std::make_unique<Storage>(dir.path() / "data");
        storage->addOrganization({kOrg, "Eerste", "2025-01-01T00:00:00.000Z"});
        storage->addOrganization({"org-2", "Tweede", "2025-01-01T00:00:00.000Z"});
    }

    zelvorin::testing::TempDir dir;
    std::unique_ptr<Storage> storage;
};

TEST_F(StorageIntegrationTest, EveryWriteBumpsTheRevisionAndTakesTheNextSequence) {
    const StoredRecord a1 = storage->putRecord(customer("a", "Alfa"));
    const StoredRecord b1 = storage->putRecord(customer("b", "Beta"));
    const StoredRecord a2 = storage->putRecord(customer("a", "Alfa B.V.", 5));
    EXPECT_EQ(a1.revision, 1);
    EXPECT_EQ(a2.revision, 2);
    EXPECT_LT(a1.sequence, b1.sequence);
    EXPECT_LT(b1.sequence, a2.sequence);
    EXPECT_EQ(storage->lastSequence(), a2.sequence);

    // The bookkeeping keys are the store's, whatever the writer sent.
    const StoredRecord stored = *storage->record(kOrg, "customer", "a");
    EXPECT_EQ(stored.payload, (Json{{"id", "a"},
                                    {"companyName", "Alfa B.V."},
                                    {"revision", 2},
                                    {"serverModifiedAt", "2025-03-03T00:05:00.000Z"}}));

    // Newest change last, each record once.
    const std::vector<StoredRecord> all = storage->records(kOrg, std::nullopt);
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].id, "b");
    EXPECT_EQ(all[1].id, "a");
    EXPECT_TRUE(storage->records(kOrg, std::string("draftInvoice")).empty());
    EXPECT_TRUE(storage->records("org-2", std::nullopt).empty());
}

TEST_F(StorageIntegrationTest, DeletingLeavesATombstoneWithTheNextRevision) {
    storage->putRecord(customer("a", "Alfa"));
    const StoredRecord deleted =
        storage->deleteRecord(kOrg, "customer", "a", kMonday + std::chrono::hours(1));
    EXPECT_TRUE(deleted.deleted);
    EXPECT_EQ(deleted.revision, 2);
    EXPECT_EQ(deleted.payload["companyName"], "Alfa");
    EXPECT_EQ(deleted.payload["deletedAt"], "2025-03-03T01:00:00.000Z");
    EXPECT_TRUE(storage->record(kOrg, "customer", "a")->deleted);
    try {
        storage->deleteRecord(kOrg, "customer", "missing", kMonday);
        FAIL();
    } catch (const ServiceError& error) {
        EXPECT_EQ(error.httpStatus(), 404);
    }
}

TEST_F(StorageIntegrationTest, ARepeatedIdempotencyKeyChangesNothing) {
    RecordWrite first = customer("a", "Alfa");
    first.idempotencyKey = "key-1";
    storage->putRecord(first);
    const std::int64_t sequence = storage->lastSequence();

    RecordWrite again = customer("a", "Alfa gewijzigd");
    again.idempotencyKey = "key-1";
    EXPECT_ANY_THROW(storage->putRecord(again));
    EXPECT_EQ(storage->record(kOrg, "customer", "a")->payload["companyName"], "Alfa");
    EXPECT_EQ(storage->lastSequence(), sequence);

    // Keys are per organisation.
    RecordWrite elsewhere = customer("a", "Alfa");
    elsewhere.organizationId = "org-2";
    elsewhere.idempotencyKey = "key-1";
    EXPECT_NO_THROW(storage->putRecord(elsewhere));
}

TEST_F(StorageIntegrationTest, ATransactionThatThrowsWritesNothing) {
    EXPECT_THROW(storage->transaction([&] {
        storage->putRecord(customer("a", "Alfa"));
        throw std::runtime_error("halverwege");
    }),
                 std::runtime_error);
    EXPECT_FALSE(storage->record(kOrg, "customer", "a").has_value());
}

TEST_F(StorageIntegrationTest, ReopeningKeepsRecordsAndSequencesKeepGrowing) {
    storage->putRecord(customer("a", "Alfa"));
    const std::int64_t before = storage->lastSequence();
    storage.reset();
    storage = std::make_unique<Storage>(dir.path() / "data");
    EXPECT_EQ(storage->organizations().size(), 2u);
    EXPECT_EQ(storage->record(kOrg, "customer", "a")->payload["companyName"], "Alfa");
    EXPECT_GT(storage->putRecord(customer("b", "Beta")).sequence, before);
}

TEST(StorageOpenIntegrationTest, AnUnusableDirectoryIsAServiceError) {
    zelvorin::testing::TempDir dir;
    zelvorin::testing::writeFile(dir / "file", "geen map");
    EXPECT_THROW(Storage(dir.path() / "file" / "data"), ServiceError);
    zelvorin::testing::writeFile(dir / "data" / Storage::kFileName, "dit is geen database");
    EXPECT_THROW(Storage(dir.path() / "data"), ServiceError);
}

}  // namespace
}  // namespace zelvorin::service
