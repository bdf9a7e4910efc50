// The sync engine of real devices (their own database files, signed in with their own ids) against
// the real service on loopback, on the service's bad days.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "api-client/SyncAPIClient.h"
#include "persistence/RecordStatements.h"
#include "persistence/repositories/CustomerRepository.h"
#include "persistence/repositories/LocalEdit.h"
#include "persistence/sync/GRDBSyncStore.h"
#include "sync/PullPageLimitExceededError.h"
#include "sync/SyncEngine.h"
#include "sync/SyncRateLimitedError.h"
#include "sync/SyncTuning.h"
#include "testing/ServiceProcess.h"
#include "testing/ServiceSignIn.h"

namespace zelvorin {
namespace {

using testing::ServiceProcess;
using Json = nlohmann::json;

constexpr const char* kOwner = "sanne@studiozelvorin.nl";

// Rate-limit waits are recorded, not slept: the monotonic clock is the platform edge.
class RecordingWaiter final : public SyncWaiter {
public:
    bool waitFor(std::chrono::milliseconds duration, std::stop_token stop) override {
        waits.push_back(std::chrono::duration_cast<std::chrono::seconds>(duration).count());
        return !stop.stop_requested();
    }
    std::vector<long> waits;
};

// One device of the demo organisation: its own database file, its own id and sign-in, the API
// client as the engine's transport.
class Device {
public:
    Device(const ServiceProcess& service, const std::string& id)
        : store_(std::make_shared<GRDBSyncStore>(AppDatabase::openFile(dir_ / "zelvorin.sqlite"), clock_)),
          client_(std::make_shared<SyncAPIClient>(service.baseUrl(), tokens_, id)),
          engine_(id, store_, client_,
                  std::vector<SyncEntityType>(kAllSyncEntityTypes.begin(), kAllSyncEntityTypes.end()), clock_,
                  waiter_) {
        tokens_->save(testing::signInDevice(service, id, std::string(kOwner)));
    }

    SyncEngineStatus sync() {
        engine_.sync(SyncTrigger::manual);
        return engine_.status();
    }

    void onStatus(SyncEngine::StatusListener listener) { engine_.setStatusListener(std::move(listener)); }
    AppDatabase database() const { return store_->database(); }
    GRDBSyncStore& store() { return *store_; }
    const std::vector<long>& waits() const { return waiter_->waits; }
    const std::shared_ptr<const Clock>& clock() const { return clock_; }
    std::shared_ptr<TokenStore> tokens() const { return tokens_; }

    std::int64_t count(const std::string& sql) const {
        return database().writer->read([&](Connection& db) {
            Statement statement = db.prepare(sql);
            statement.step();
            return statement.int64(0);
        });
    }

    // Changes a draft invoice's internal note as the invoice screen would: the row and its queued
    // change in one transaction.
    void editInternalNote(const std::string& invoiceId, const std::string& note) {
        database().writer->write([&](Connection& db) {
            DraftInvoiceRecord invoice = *recordById<DraftInvoiceRecord>(db, invoiceId);
            LocalEdit edit(db, *clock_);
            Statement update = db.prepare(
                "UPDATE draft_invoice SET internal_note = ?, sync_state = ?, local_modified_at = ? WHERE id "
                "= ?");
            update.bindAll(note, LocalEdit::stateAfterUpdate(invoice.syncState), edit.now(), invoiceId);
            update.run();
            edit.queueUpdate(SyncEntityType::draftInvoice, invoiceId, invoice.revision,
                             JSONValue::object({{"internalNote", note}}), {"internalNote"});
        });
    }

private:
    testing::TempDir dir_;
    std::shared_ptr<const Clock> clock_ = std::make_shared<SystemClock>();
    std::shared_ptr<InMemoryTokenStore> tokens_ = std::make_shared<InMemoryTokenStore>();
    std::shared_ptr<RecordingWaiter> waiter_ = std::make_shared<RecordingWaiter>();
    std::shared_ptr<GRDBSyncStore> store_;
    std::shared_ptr<SyncAPIClient> client_;
    SyncEngine engine_;
};

class SyncReliabilityIntegrationTest : public ::testing::Test {
protected:
    void addFault(const Json& fault) const {
        ASSERT_EQ(service.post("/admin/faults", fault.dump()).status, 201);
    }

    int requestsOf(const std::string& path) const {
        const Json counts = Json::parse(service.get("/admin/requests").body)["requests"];
        return counts.contains(path) ? counts[path].get<int>() : 0;
    }

    Json serviceRecord(const std::string& organizationId, const std::string& type,
                       const std::string& id) const {
        const Json records = Json::parse(
            service.get("/admin/records?org=" + organizationId + "&entityType=" + type).body)["records"];
        for (const Json& record : records) {
            if (record["id"] == id) return record;
        }
        return nullptr;
    }

    ServiceProcess service{ServiceProcess::demo()};
};

std::string organizationOf(const Device& device) {
    return device.database().writer->read([](Connection& db) {
        Statement statement = db.prepare("SELECT organization_id FROM customer LIMIT 1");
        statement.step();
        return statement.text(0);
    });
}

TEST_F(SyncReliabilityIntegrationTest,
       ACustomerMadeOfflineReachesTheOtherDeviceAndCrossedEditsEndInTheServicesVersion) {
    Device a(service, "apparaat-a");
    Device b(service, "apparaat-b");
    ASSERT_EQ(a.sync().statusCase(), SyncEngineStatus::Case::idle);
    ASSERT_EQ(b.sync().statusCase(), SyncEngineStatus::Case::idle);
    const std::string organizationId = organizationOf(a);

    CustomerRecord fields;
    fields.organizationId = organizationId;
    fields.companyName = "Bakkerij Noord";
    fields.city = "Zwolle";
    fields.country = "NL";
    const CustomerRecord made = CustomerRepository(a.database(), a.clock()).createCustomer(fields);
    EXPECT_EQ(a.store().pendingChangeCount(), 1);
    ASSERT_EQ(a.sync().statusCase(), SyncEngineStatus::Case::idle);
    EXPECT_EQ(a.store().pendingChangeCount(), 0);
    ASSERT_EQ(b.sync().statusCase(), SyncEngineStatus::Case::idle);
    const std::optional<CustomerRecord> arrived =
        CustomerRepository(b.database(), b.clock()).customer(made.id);
    ASSERT_TRUE(arrived.has_value());
    EXPECT_EQ(arrived->companyName, "Bakkerij Noord");
    EXPECT_EQ(arrived->city, "Zwolle");
    EXPECT_EQ(arrived->syncState, "synced");

    // A edits an invoice and has not synced; B edits the same invoice and syncs first. A's push is
    // refused as a conflict (the service keeps B's note), and the pull that follows brings B's
    // version over the conflicting row: the service's word is final.
    const std::string invoiceId = a.database().writer->read([](Connection& db) {
        Statement statement = db.prepare("SELECT id FROM draft_invoice ORDER BY id LIMIT 1");
        statement.step();
        return statement.text(0);
    });
    a.editInternalNote(invoiceId, "Van apparaat A");
    b.editInternalNote(invoiceId, "Van apparaat B");
    ASSERT_EQ(b.sync().statusCase(), SyncEngineStatus::Case::idle);
    ASSERT_EQ(service.post("/admin/requests/reset", "").status, 200);
    EXPECT_EQ(a.sync().statusCase(), SyncEngineStatus::Case::idle);
    EXPECT_EQ(requestsOf("/api/sync/push"), 1);
    EXPECT_EQ(serviceRecord(organizationId, "draftInvoice", invoiceId)["payload"]["internalNote"],
              "Van apparaat B");
    const DraftInvoiceRecord settled = *a.database().writer->read(
        [&](Connection& db) { return recordById<DraftInvoiceRecord>(db, invoiceId); });
    EXPECT_EQ(settled.internalNote, "Van apparaat B");
    EXPECT_EQ(settled.syncState, "synced");
    EXPECT_EQ(a.store().pendingChangeCount(), 0);

    // A pull that meets a pending local edit keeps the local values and marks the row.
    a.editInternalNote(invoiceId, "Weer van A");
    ASSERT_EQ(service
                  .post("/admin/records", Json{{"org", organizationId},
                                               {"entityType", "draftInvoice"},
                                               {"id", invoiceId},
                                               {"payload", {{"internalNote", "Van de webapp"}}}}
                                              .dump())
                  .status,
              200);
    const PullResponse page =
        SyncAPIClient(service.baseUrl(), a.tokens(), "apparaat-a").pull(a.store().currentCursor(), 500, {});
    ASSERT_EQ(page.changes.size(), 1U);
    a.store().applyPulledChanges(page.changes, page.nextCursor);
    const DraftInvoiceRecord marked = *a.database().writer->read(
        [&](Connection& db) { return recordById<DraftInvoiceRecord>(db, invoiceId); });
    EXPECT_EQ(marked.internalNote, "Weer van A");
    EXPECT_EQ(marked.syncState, "conflict");
}

// A first sync of a large book tells how far it got after every page it wrote: full pages of 500
// until the last, counted per cycle.
TEST(SyncProgressIntegrationTest, AFirstSyncReportsEveryPulledPageAndTheRecordsAppliedSoFar) {
    ServiceProcess service(ServiceProcess::demo(3000));
    Device device(service, "device-progress");
    std::vector<SyncEngineStatus::Syncing> progress;
    device.onStatus([&](const SyncEngineStatus& status) {
        if (const auto* syncing = status.get<SyncEngineStatus::Syncing>()) progress.push_back(*syncing);
    });
    ASSERT_EQ(device.sync().statusCase(), SyncEngineStatus::Case::idle);

    ASSERT_GE(progress.size(), 8u);
    EXPECT_EQ(progress.front(), (SyncEngineStatus::Syncing{0, 0}));  // the cycle's start
    for (std::size_t i = 1; i < progress.size(); ++i) {
        EXPECT_EQ(progress[i].pagesPulled, static_cast<std::int64_t>(i));
        const std::int64_t pageSize = progress[i].recordsApplied - progress[i - 1].recordsApplied;
        if (i + 1 < progress.size())
            EXPECT_EQ(pageSize, SyncTuning::kPullPageSize) << "page " << i;
        else
            EXPECT_TRUE(pageSize > 0 && pageSize <= SyncTuning::kPullPageSize) << pageSize;
    }
    EXPECT_GT(progress.back().recordsApplied, 3000);

    progress.clear();
    ASSERT_EQ(device.sync().statusCase(), SyncEngineStatus::Case::idle);
    EXPECT_EQ(progress, (std::vector<SyncEngineStatus::Syncing>{{0, 0}, {1, 0}}));
}

TEST_F(SyncReliabilityIntegrationTest, AServiceThatDiesMidCycleLeavesTheDeviceOfflineWithNothingLost) {
    Device device(service, "apparaat-a");
    ASSERT_EQ(device.sync().statusCase(), SyncEngineStatus::Case::idle);
    CustomerRepository customers(device.database(), device.clock());
    CustomerRecord fields;
    fields.organizationId = organizationOf(device);
    std::vector<std::string> ids;
    for (const char* name : {"Noord BV", "Oost BV", "Zuid BV"}) {
        fields.companyName = name;
        ids.push_back(customers.createCustomer(fields).id);
    }

    // The push is held at the door; the service dies while the device waits for its answer.
    addFault({{"path", "/api/sync/push"}, {"delayMs", 5000}});
    std::jthread cycle([&] { device.sync(); });
    for (int tries = 0; requestsOf("/api/sync/push") == 0 && tries < 500; ++tries)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    service.kill();
    cycle.join();
    EXPECT_EQ(device.sync(), SyncEngineStatus::offline(3));
    EXPECT_EQ(device.store().pendingChangeCount(), 3);

    service.restart();
    ASSERT_EQ(device.sync().statusCase(), SyncEngineStatus::Case::idle);
    EXPECT_EQ(device.store().pendingChangeCount(), 0);
    for (const std::string& id : ids) {
        const Json record = serviceRecord(fields.organizationId, "customer", id);
        ASSERT_FALSE(record.is_null()) << id;
        EXPECT_EQ(record["revision"], 1) << "pushed once: " << id;
    }
    EXPECT_EQ(device.count("SELECT COUNT(*) FROM customer WHERE sync_state != 'synced'"), 0);
}

TEST_F(SyncReliabilityIntegrationTest, SixRateLimitsAreWaitedOutOnScheduleAndASeventhEndsTheCycle) {
    Device device(service, "apparaat-a");
    addFault({{"path", "/api/sync/pull"}, {"count", 6}, {"status", 429}});
    ASSERT_EQ(device.sync().statusCase(), SyncEngineStatus::Case::idle);
    EXPECT_EQ(device.waits(), (std::vector<long>{2, 4, 8, 16, 32, 60}));
    EXPECT_GT(device.count("SELECT COUNT(*) FROM customer"), 0) << "the seventh attempt pulled";

    addFault({{"path", "/api/sync/pull"}, {"count", 7}, {"status", 429}, {"retryAfter", "5"}});
    const SyncEngineStatus ending = device.sync();
    ASSERT_EQ(ending.statusCase(), SyncEngineStatus::Case::failed);
    EXPECT_EQ(ending.get<SyncEngineStatus::Failed>()->message,
              syncFailureMessage(SyncRateLimitedError(std::optional<int>(5))));
    const std::vector<long> afterFirst(device.waits().begin() + 6, device.waits().end());
    EXPECT_EQ(afterFirst, (std::vector<long>(6, 5))) << "Retry-After is used as sent";
}

TEST_F(SyncReliabilityIntegrationTest, APullThatAlwaysHasMoreFailsAfterPageTwoHundredKeepingWhatCameBefore) {
    Device device(service, "apparaat-a");
    addFault({{"path", "/api/sync/pull"}, {"count", 1000}, {"hasMore", true}});
    ASSERT_EQ(service.post("/admin/requests/reset", "").status, 200);
    const SyncEngineStatus ending = device.sync();
    ASSERT_EQ(ending.statusCase(), SyncEngineStatus::Case::failed);
    EXPECT_EQ(ending.get<SyncEngineStatus::Failed>()->message,
              syncFailureMessage(PullPageLimitExceededError(SyncTuning::kPullPageLimit)));
    EXPECT_EQ(requestsOf("/api/sync/pull"), SyncTuning::kPullPageLimit);
    const std::int64_t customers = device.count("SELECT COUNT(*) FROM customer");
    EXPECT_GT(customers, 0);
    EXPECT_TRUE(device.store().currentCursor().has_value());

    ASSERT_EQ(service.remove("/admin/faults").status, 200);
    ASSERT_EQ(device.sync().statusCase(), SyncEngineStatus::Case::idle);
    EXPECT_EQ(device.count("SELECT COUNT(*) FROM customer"), customers);
}

}  // namespace
}  // namespace zelvorin
