#include <gtest/gtest.h>
#include <sqlite3.h>

#include <set>
#include <thread>

#include "domain/Timestamps.h"
#include "persistence/repositories/ActionQueueRepository.h"
#include "persistence/repositories/PendingUploadRepository.h"
#include "persistence/sqlite/SqliteError.h"
#include "persistence/tests/ServerRows.h"
#include "testing/ThrownKind.h"

namespace zelvorin {
namespace {

using Status = PendingUploadRecord::Status;

class WorkQueuesIntegrationTest : public ::testing::Test {
protected:
    PendingUploadRecord upload(const std::string& key, const std::string& createdAt,
                               Status status = Status::wachtend) {
        PendingUploadRecord record;
        record.id = "id-" + key;
        record.fileName = key + ".pdf";
        record.mimeType = "application/pdf";
        record.source = "share";
        record.relativePath = "PendingUploads/" + key + ".pdf";
        record.idempotencyKey = key;
        record.status = status;
        record.createdAt = createdAt;
        uploads_.insertUpload(record);
        return record;
    }

    testing::ServerRows rows_;
    std::shared_ptr<ManualClock> clock_ =
        std::make_shared<ManualClock>(*parseTimestamp("2026-03-02T09:00:00.250Z"));
    ActionQueueRepository actions_{rows_.database, clock_};
    PendingUploadRepository uploads_{rows_.database};
};

TEST_F(WorkQueuesIntegrationTest, MarkPaidQueuesInOrderWithItsPayloadUntilCompleted) {
    const PendingAction dated = actions_.enqueueMarkPaid("inv'%_1", "2026-03-01");
    clock_->advance(std::chrono::seconds(1));
    const PendingAction undated = actions_.enqueueMarkPaid("inv-2", std::nullopt);

    const std::vector<PendingAction> queued = actions_.allPendingActions();
    EXPECT_EQ(queued, (std::vector<PendingAction>{dated, undated}));
    EXPECT_EQ(queued[0].payload, R"({"paidAt":"2026-03-01"})");
    EXPECT_EQ(queued[1].payload, "{}");
    EXPECT_EQ(queued[0].createdAt, "2026-03-02T09:00:00.250Z");

    // The quote and the LIKE wildcards are part of the bound id, not of the statement.
    EXPECT_TRUE(actions_.hasPendingAction("inv'%_1", PendingAction::Kind::markPaid));
    EXPECT_FALSE(actions_.hasPendingAction("inv%", PendingAction::Kind::markPaid));

    EXPECT_TRUE(actions_.recordActionFailure(dated.id, "Geen verbinding"));
    EXPECT_TRUE(actions_.recordActionFailure(dated.id, "Time-out"));
    EXPECT_FALSE(actions_.recordActionFailure("unknown", "x"));
    const PendingAction failed = actions_.allPendingActions().front();
    EXPECT_EQ(failed.attempts, 2);
    EXPECT_EQ(failed.lastError, "Time-out");

    EXPECT_TRUE(actions_.completeAction(dated.id));
    EXPECT_FALSE(actions_.completeAction(dated.id));
    EXPECT_EQ(actions_.pendingInvoiceIds(PendingAction::Kind::markPaid), std::vector<std::string>{"inv-2"});
}

TEST_F(WorkQueuesIntegrationTest, MarkPaidRefusesBadInputAndStoresNothing) {
    EXPECT_EQ(testing::thrownKind([&] { actions_.enqueueMarkPaid("", std::nullopt); }),
              PersistenceError::Kind::invalidInput);
    for (const char* paidAt : {"gisteren", "2026-02-30", ""})
        EXPECT_EQ(testing::thrownKind([&] { actions_.enqueueMarkPaid("inv-1", paidAt); }),
                  PersistenceError::Kind::invalidInput)
            << paidAt;
    EXPECT_TRUE(actions_.allPendingActions().empty());
    EXPECT_NO_THROW(actions_.enqueueMarkPaid("inv-1", "2026-03-01T10:00:00+01:00"));
}

TEST_F(WorkQueuesIntegrationTest, ClaimsByCreationTimeOnlyWithFailedAndWaitingAlike) {
    upload("done", "2026-03-01T08:00:00.000Z", Status::klaar);
    upload("failed", "2026-03-01T09:00:00.000Z", Status::fout);
    upload("second", "2026-03-01T11:00:00.000Z");
    upload("first", "2026-03-01T10:00:00.000Z");
    EXPECT_EQ(testing::ids(uploads_.waitingUploads()),
              (std::vector<std::string>{"id-failed", "id-first", "id-second"}));

    const std::optional<PendingUploadRecord> claimed = uploads_.claimNextUpload();
    ASSERT_TRUE(claimed);
    EXPECT_EQ(claimed->idempotencyKey, "failed");
    EXPECT_EQ(claimed->status, Status::bezig);
    EXPECT_EQ(uploads_.claimNextUpload()->idempotencyKey, "first");
    EXPECT_EQ(uploads_.claimNextUpload()->idempotencyKey, "second");
    EXPECT_FALSE(uploads_.claimNextUpload());  // klaar is never claimed
}

TEST_F(WorkQueuesIntegrationTest, AnInterruptedUploadWaitsOnlyAfterReset) {
    const PendingUploadRecord bon = upload("bon", "2026-03-01T09:00:00.000Z");
    ASSERT_TRUE(uploads_.claimNextUpload());
    EXPECT_EQ(uploads_.waitingUploadCount(), 0);
    EXPECT_TRUE(uploads_.waitingUploads().empty());

    EXPECT_EQ(uploads_.resetInterruptedUploads(), 1);
    EXPECT_EQ(uploads_.waitingUploadCount(), 1);
    ASSERT_TRUE(uploads_.claimNextUpload());

    EXPECT_TRUE(uploads_.recordUploadFailure(bon.id, "HTTP 503"));
    EXPECT_TRUE(uploads_.markSubmitDone(bon.id));
    PendingUploadRecord failed = uploads_.waitingUploads().at(0);
    EXPECT_EQ(failed.status, Status::fout);
    EXPECT_EQ(failed.attempts, 1);
    EXPECT_EQ(failed.lastError, "HTTP 503");
    EXPECT_TRUE(failed.submitDone);

    EXPECT_TRUE(uploads_.removeUpload(bon.id));
    EXPECT_FALSE(uploads_.recordUploadFailure(bon.id, "x"));
}

TEST_F(WorkQueuesIntegrationTest, TwoDrainersNeverClaimTheSameUpload) {
    constexpr int kUploads = 60;
    for (int i = 0; i < kUploads; ++i)
        upload("k" + std::to_string(i), "2026-03-01T09:00:00." + std::to_string(100 + i) + "Z");
    std::vector<PendingUploadRecord> claimedBy[2];
    auto drain = [&](std::vector<PendingUploadRecord>& into) {
        while (std::optional<PendingUploadRecord> next = uploads_.claimNextUpload())
            into.push_back(*next);
    };
    std::jthread a(drain, std::ref(claimedBy[0])), b(drain, std::ref(claimedBy[1]));
    a.join();
    b.join();
    std::vector<std::string> claimed = testing::ids(claimedBy[0]), second = testing::ids(claimedBy[1]);
    claimed.insert(claimed.end(), second.begin(), second.end());
    EXPECT_EQ(claimed.size(), std::size_t{kUploads});
    EXPECT_EQ(std::set<std::string>(claimed.begin(), claimed.end()).size(), std::size_t{kUploads});
}

TEST_F(WorkQueuesIntegrationTest, BadOrDuplicateUploadsChangeNothing) {
    const PendingUploadRecord stored = upload("bon'_%", "2026-03-01T09:00:00.000Z");
    EXPECT_TRUE(uploads_.uploadExists("bon'_%"));
    EXPECT_FALSE(uploads_.uploadExists("bon'__"));

    PendingUploadRecord other = stored;
    other.id = "other";
    try {
        uploads_.insertUpload(other);
        ADD_FAILURE() << "a second row with the same idempotency key was stored";
    } catch (const SqliteError& error) {
        EXPECT_EQ(error.primaryCode(), SQLITE_CONSTRAINT);
    }
    other.idempotencyKey = "fresh";
    other.createdAt = "gisteren";
    EXPECT_EQ(testing::thrownKind([&] { uploads_.insertUpload(other); }),
              PersistenceError::Kind::invalidInput);
    other.createdAt = stored.createdAt;
    other.fileName.clear();
    EXPECT_EQ(testing::thrownKind([&] { uploads_.insertUpload(other); }),
              PersistenceError::Kind::invalidInput);

    EXPECT_EQ(uploads_.waitingUploads(), std::vector<PendingUploadRecord>{stored});
}

}  // namespace
}  // namespace zelvorin
