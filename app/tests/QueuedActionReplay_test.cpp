// A payment marked while offline waits in the action queue and reaches the real service on the
// replay before a reconnect cycle.
#include "app/QueuedActionReplay.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "testing/ServiceProcess.h"
#include "testing/ServiceSignIn.h"
#include "testing/TempDir.h"

namespace zelvorin {
namespace {

using Json = nlohmann::json;
using testing::ServiceProcess;

class QueuedActionReplayIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        tokens->save(
            testing::signInDevice(service, "apparaat-wachtrij", std::string("sanne@studiozelvorin.nl")));
        organizationId = Json::parse(service.get("/admin/organizations").body)["organizations"][0]["id"];
    }

    Json invoices() const {
        return Json::parse(
            service.get("/admin/records?org=" + organizationId + "&entityType=draftInvoice").body)["records"];
    }
    std::string statusOf(const std::string& id) const {
        for (const Json& record : invoices())
            if (record["id"] == id) return record["payload"]["status"];
        return {};
    }

    ServiceProcess service{ServiceProcess::demo()};
    std::shared_ptr<InMemoryTokenStore> tokens = std::make_shared<InMemoryTokenStore>();
    SyncAPIClient client{service.baseUrl(), tokens, "apparaat-wachtrij"};
    std::string organizationId;
    testing::TempDir dir;
    std::shared_ptr<const Clock> clock = std::make_shared<SystemClock>();
    ActionQueueRepository queue{AppDatabase::openFile(dir / "zelvorin.sqlite"), clock};
};

TEST_F(QueuedActionReplayIntegrationTest, AMarkPaidQueuedOfflineIsReplayedOnReconnectAndOnlyOnce) {
    std::string sent;
    for (const Json& record : invoices())
        if (record["payload"]["status"] == "sent" && sent.empty()) sent = record["id"];
    ASSERT_FALSE(sent.empty());

    service.stop();
    queue.enqueueMarkPaid(sent, std::string("2026-03-20"));
    replayQueuedActions(queue, client, *clock);
    std::vector<PendingAction> waiting = queue.allPendingActions();
    ASSERT_EQ(waiting.size(), 1u);  // no connection: kept, its attempt counted
    EXPECT_EQ(waiting[0].attempts, 1);

    service.restart();
    replayQueuedActions(queue, client, *clock);
    EXPECT_TRUE(queue.allPendingActions().empty());
    EXPECT_EQ(statusOf(sent), "paid");

    // Queued twice on two devices: the second finds it paid, which is an answer for good.
    queue.enqueueMarkPaid(sent, std::nullopt);
    replayQueuedActions(queue, client, *clock);
    EXPECT_TRUE(queue.allPendingActions().empty());
    EXPECT_EQ(statusOf(sent), "paid");
}

}  // namespace
}  // namespace zelvorin
