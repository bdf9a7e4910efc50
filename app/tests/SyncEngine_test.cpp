#include "sync/SyncEngine.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "domain/Timestamps.h"
#include "persistence/sync/GRDBSyncStore.h"
#include "sync/NetworkError.h"
#include "sync/SyncRateLimitedError.h"
#include "testing/TempDir.h"

namespace zelvorin {
namespace {

// The service end of the wire, scripted per test: the network edge of the engine. Pushes and
// pulls are answered by the test's functions and recorded.
class ScriptedTransport final : public SyncTransport {
public:
    std::function<PushResponse(const PushRequest&)> onPush = [](const PushRequest& request) {
        PushResponse response;
        for (const PushChange& c : request.changes)
            response.accepted.push_back({c.entityType, c.entityId, c.clientRevision});
        return response;
    };
    std::function<PullResponse(const std::optional<std::string>&, int)> onPull =
        [](const std::optional<std::string>&, int) {
            return PullResponse{"end", "2026-03-02T10:00:00Z", false, {}};
        };

    PushResponse push(const PushRequest& request) override {
        pushes.push_back(request);
        return onPush(request);
    }
    PullResponse pull(const std::optional<std::string>& cursor, int limit,
                      std::span<const SyncEntityType>) override {
        pulledCursors.push_back(cursor);
        return onPull(cursor, limit);
    }

    std::vector<PushRequest> pushes;
    std::vector<std::optional<std::string>> pulledCursors;
};

// Waits are recorded, not slept (the monotonic clock is the platform edge).
class RecordingWaiter final : public SyncWaiter {
public:
    bool waitFor(std::chrono::milliseconds duration, std::stop_token stop) override {
        waits.push_back(std::chrono::duration_cast<std::chrono::seconds>(duration).count());
        if (beforeReturning) beforeReturning();
        return !stop.stop_requested();
    }
    std::vector<long> waits;
    std::function<void()> beforeReturning;
};

struct Offline final : NetworkError {
    Offline() : NetworkError("De verbinding is verbroken.") {}
    bool isOffline() const override { return true; }
};

class SyncEngineTest : public ::testing::Test {
protected:
    SyncEngineTest()
        : clock_(std::make_shared<ManualClock>(*parseTimestamp("2026-03-02T09:00:00Z"))),
          store_(std::make_shared<GRDBSyncStore>(AppDatabase::openFile(dir_ / "z.sqlite"), clock_)),
          transport_(std::make_shared<ScriptedTransport>()),
          waiter_(std::make_shared<RecordingWaiter>()),
          engine_("device-1", store_, transport_, {SyncEntityType::customer, SyncEntityType::contact}, clock_,
                  waiter_) {
        engine_.setStatusListener([this](const SyncEngineStatus& s) { statuses_.push_back(s.statusCase()); });
    }

    void queueChanges(int count) {
        store_->database().writer->write([&](Connection& db) {
            for (int i = 0; i < count; ++i) {
                PushChange change{SyncEntityType::customer,
                                  "c" + std::to_string(queued_),
                                  SyncOperation::create,
                                  1,
                                  std::nullopt,
                                  std::nullopt,
                                  JSONValue::object(),
                                  "t",
                                  "k" + std::to_string(queued_)};
                ++queued_;
                GRDBSyncStore::enqueueChange(db, change, *clock_);
            }
        });
    }

    testing::TempDir dir_;
    std::shared_ptr<ManualClock> clock_;
    std::shared_ptr<GRDBSyncStore> store_;
    std::shared_ptr<ScriptedTransport> transport_;
    std::shared_ptr<RecordingWaiter> waiter_;
    SyncEngine engine_;
    std::vector<SyncEngineStatus::Case> statuses_;
    int queued_ = 0;
};

using Case = SyncEngineStatus::Case;

TEST_F(SyncEngineTest, ANothingToDoCyclePullsOnceAndEndsIdleWithADate) {
    engine_.sync(SyncTrigger::manual);
    EXPECT_TRUE(transport_->pushes.empty());
    EXPECT_EQ(transport_->pulledCursors.size(), 1u);
    EXPECT_EQ(statuses_, (std::vector{Case::syncing, Case::syncing, Case::idle}));  // start, one page
    EXPECT_EQ(engine_.status(), SyncEngineStatus::idle(clock_->now()));
    EXPECT_EQ(store_->currentCursor(), "end");
}

TEST_F(SyncEngineTest, AFullBatchAsksForAnotherAndAShortOneDoesNot) {
    queueChanges(199);
    engine_.sync(SyncTrigger::manual);
    EXPECT_EQ(transport_->pushes.size(), 1u);

    queueChanges(201);
    engine_.sync(SyncTrigger::manual);
    ASSERT_EQ(transport_->pushes.size(), 3u);
    EXPECT_EQ(transport_->pushes[1].changes.size(), 200u);
    EXPECT_EQ(transport_->pushes[2].changes.size(), 1u);
    EXPECT_EQ(store_->pendingChangeCount(), 0);
}

TEST_F(SyncEngineTest, RefusedChangesEndThePushPhaseStayQueuedAndThePullStillRuns) {
    queueChanges(250);
    transport_->onPush = [](const PushRequest& request) {
        PushResponse response;
        for (const PushChange& c : request.changes) {
            if (c.entityId == "c3") {
                response.errors.push_back({c.entityId, "Bedrag ongeldig"});
            } else {
                response.accepted.push_back({c.entityType, c.entityId, 1});
            }
        }
        return response;
    };
    engine_.sync(SyncTrigger::manual);
    EXPECT_EQ(transport_->pushes.size(), 1u);  // a full batch, yet no second one
    EXPECT_EQ(transport_->pulledCursors.size(), 1u);
    EXPECT_EQ(store_->pendingChangeCount(), 51);
    const std::vector<PushChange> next = store_->pendingChangeBatch(1);
    ASSERT_EQ(next.size(), 1u);
    EXPECT_EQ(next[0].entityId, "c3");  // offered first in the next cycle
}

TEST_F(SyncEngineTest, AFullBatchThatSettlesNothingDoesNotLoop) {
    queueChanges(200);
    transport_->onPush = [](const PushRequest&) { return PushResponse{}; };
    engine_.sync(SyncTrigger::manual);
    EXPECT_EQ(transport_->pushes.size(), 1u);
    EXPECT_EQ(engine_.status().statusCase(), Case::idle);
    EXPECT_EQ(store_->pendingChangeCount(), 200);
}

TEST_F(SyncEngineTest, APullThatNeverEndsFailsAfterTwoHundredPagesKeepingWhatItApplied) {
    transport_->onPull = [](const std::optional<std::string>& cursor, int limit) {
        EXPECT_EQ(limit, 500);
        const int page = cursor ? std::stoi(cursor->substr(2)) + 1 : 1;
        return PullResponse{"p-" + std::to_string(page), "t", true, {}};
    };
    engine_.sync(SyncTrigger::appLaunch);
    EXPECT_EQ(transport_->pulledCursors.size(), 200u);
    EXPECT_EQ(store_->currentCursor(), "p-200");
    const SyncEngineStatus status = engine_.status();
    const auto* failed = status.get<SyncEngineStatus::Failed>();
    ASSERT_NE(failed, nullptr);
    EXPECT_EQ(failed->message.rfind("De server bleef pagina's sturen.", 0), 0u);
    EXPECT_FALSE(engine_.lastSyncedAt());
}

TEST_F(SyncEngineTest, RateLimitsAreWaitedOutSixTimesThenTheCycleFails) {
    int refusals = 6;
    std::optional<int> retryAfter;
    transport_->onPull = [&](const std::optional<std::string>&, int) {
        if (refusals-- > 0) throw SyncRateLimitedError(retryAfter);
        return PullResponse{"c", "t", false, {}};
    };
    engine_.sync(SyncTrigger::manual);
    EXPECT_EQ(waiter_->waits, (std::vector<long>{2, 4, 8, 16, 32, 60}));
    EXPECT_EQ(engine_.status().statusCase(), Case::idle);
    EXPECT_EQ(std::count(statuses_.begin(), statuses_.end(), Case::waitingForServer), 6);
    EXPECT_EQ(std::count(statuses_.begin(), statuses_.end(), Case::syncing), 2);  // start, the page

    waiter_->waits.clear();
    refusals = 7;
    retryAfter = 5;
    engine_.sync(SyncTrigger::manual);
    EXPECT_EQ(waiter_->waits, (std::vector<long>(6, 5)));
    const SyncEngineStatus status = engine_.status();
    const auto* failed = status.get<SyncEngineStatus::Failed>();
    ASSERT_NE(failed, nullptr);
    EXPECT_EQ(failed->message.rfind("De server vroeg herhaaldelijk om te wachten", 0), 0u);

    // A day is waited for an hour at most.
    waiter_->waits.clear();
    refusals = 1;
    retryAfter = 86'400;
    engine_.sync(SyncTrigger::manual);
    EXPECT_EQ(waiter_->waits, (std::vector<long>{3600}));
}

TEST_F(SyncEngineTest, ALostConnectionIsOfflineWithWhatIsStillQueued) {
    queueChanges(3);
    transport_->onPush = [](const PushRequest&) -> PushResponse { throw Offline(); };
    engine_.sync(SyncTrigger::reconnect);
    EXPECT_EQ(engine_.status(), SyncEngineStatus::offline(3));
}

TEST_F(SyncEngineTest, ConflictsAfterThePullNeedAttention) {
    queueChanges(2);
    transport_->onPush = [](const PushRequest& request) {
        PushResponse response;
        for (const PushChange& c : request.changes)
            response.conflicts.push_back({c.entityType, c.entityId, 4, std::nullopt});
        return response;
    };
    // The conflicting rows must exist for the store to mark them.
    store_->database().writer->write([](Connection& db) {
        db.prepare(
              "INSERT INTO customer (id, organization_id, company_name, created_at, updated_at, sync_state) "
              "VALUES ('c0','o','A','t','t','localOnly'), ('c1','o','B','t','t','localOnly')")
            .run();
    });
    engine_.sync(SyncTrigger::manual);
    EXPECT_EQ(engine_.status(), SyncEngineStatus::conflictsNeedAttention(2));
    EXPECT_EQ(store_->pendingChangeCount(), 0);
}

TEST_F(SyncEngineTest, ASecondRequestDuringACycleIsDroppedAndAStopKeepsTheLastStatus) {
    std::mutex mutex;
    std::condition_variable changed;
    bool inPull = false, release = false;
    transport_->onPull = [&](const std::optional<std::string>&, int) -> PullResponse {
        std::unique_lock lock(mutex);
        inPull = true;
        changed.notify_all();
        changed.wait(lock, [&] { return release; });
        throw SyncRateLimitedError(std::nullopt);
    };
    std::stop_source stop;
    waiter_->beforeReturning = [&] { stop.request_stop(); };
    std::thread cycle([&] { engine_.sync(SyncTrigger::manual, stop.get_token()); });
    {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return inPull; });
    }
    engine_.sync(SyncTrigger::manual);  // returns at once: a cycle is running
    EXPECT_EQ(transport_->pulledCursors.size(), 1u);
    {
        std::lock_guard lock(mutex);
        release = true;
    }
    changed.notify_all();
    cycle.join();
    EXPECT_EQ(engine_.status().statusCase(), Case::waitingForServer);
    EXPECT_FALSE(engine_.isSyncing());
}

}  // namespace
}  // namespace zelvorin
