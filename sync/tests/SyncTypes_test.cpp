#include <gtest/gtest.h>

#include <string>

#include "sync/PullPageLimitExceededError.h"
#include "sync/SyncEndpoints.h"
#include "sync/SyncEngineStatus.h"
#include "sync/SyncEntityType.h"
#include "sync/SyncOperation.h"
#include "sync/SyncRateLimitedError.h"
#include "sync/SyncState.h"
#include "sync/SyncTrigger.h"
#include "sync/SyncTuning.h"

namespace zelvorin {
namespace {

TEST(SyncTypesTest, RawValuesInDeclaredOrder) {
    EXPECT_EQ(joinEntityTypes(kAllSyncEntityTypes),
              "draftInvoice,invoiceLine,creditNote,customer,contact,invoicePayment,invoiceReminder,"
              "invoiceTemplate,orgSettings,orgVariable,emailTemplate,invoiceSchedule,appNotification,"
              "incomingInvoice,kvitraRule,proposal,proposalRecipient,proposalShareLink,bankAccount,"
              "bankTransaction");
    for (std::size_t i = 0; i < kAllSyncEntityTypes.size(); ++i) {
        EXPECT_EQ(static_cast<std::size_t>(kAllSyncEntityTypes[i]), i);
        EXPECT_EQ(parseSyncEntityType(rawValue(kAllSyncEntityTypes[i])), kAllSyncEntityTypes[i]);
    }
    EXPECT_EQ(parseSyncEntityType("contact_person"), std::nullopt);
    EXPECT_EQ(parseSyncEntityType("Customer"), std::nullopt);

    EXPECT_EQ(rawValue(SyncOperation::remove), "delete");
    for (SyncOperation operation : kAllSyncOperations)
        EXPECT_EQ(parseSyncOperation(rawValue(operation)), operation);
    EXPECT_EQ(parseSyncOperation("remove"), std::nullopt);

    std::string states;
    for (SyncState state : kAllSyncStates) {
        EXPECT_EQ(parseSyncState(rawValue(state)), state);
        states += std::string(rawValue(state)) + " ";
    }
    EXPECT_EQ(states, "localOnly pendingUpload synced conflict failed tombstoned ");
    EXPECT_EQ(caseName(SyncTrigger::beforeServerAction), "beforeServerAction");
    EXPECT_EQ(caseName(SyncTrigger::foregroundReturn), "foregroundReturn");
}

TEST(SyncTypesTest, ErrorDescriptionsAreTheUsersText) {
    EXPECT_STREQ(
        PullPageLimitExceededError(200).what(),
        "Sync-pull overschreed de pagina-limiet (200) zonder hasMore=false — mogelijk een server-bug "
        "(cursor schuift niet op).");
    EXPECT_EQ(PullPageLimitExceededError(200).pageLimit(), 200);
    EXPECT_STREQ(SyncRateLimitedError(30).what(),
                 "Server gaf herhaaldelijk 429 (rate limited); laatste Retry-After was 30 seconden.");
    EXPECT_STREQ(SyncRateLimitedError(std::nullopt).what(),
                 "Server gaf herhaaldelijk 429 (rate limited) zonder Retry-After-header.");
    EXPECT_EQ(SyncRateLimitedError(std::nullopt).retryAfterSeconds(), std::nullopt);
    EXPECT_EQ(SyncRateLimitedError(0).retryAfterSeconds(), 0);
}

TEST(SyncTypesTest, StatusesAreEqualByCaseAndPayload) {
    using namespace std::chrono;
    const TimePoint at = sys_days{2026y / 3 / 2} + 9h;
    EXPECT_EQ(SyncEngineStatus(), SyncEngineStatus::idle());
    EXPECT_NE(SyncEngineStatus::idle(at), SyncEngineStatus::idle());
    EXPECT_EQ(SyncEngineStatus::failed("x", at), SyncEngineStatus::failed("x", at));
    EXPECT_NE(SyncEngineStatus::failed("x", at), SyncEngineStatus::failed("y", at));
    EXPECT_NE(SyncEngineStatus::offline(3), SyncEngineStatus::conflictsNeedAttention(3));
    const SyncEngineStatus waiting = SyncEngineStatus::waitingForServer(at + 4s);
    EXPECT_EQ(waiting.statusCase(), SyncEngineStatus::Case::waitingForServer);
    EXPECT_EQ(caseName(waiting.statusCase()), "waitingForServer");
    ASSERT_NE(waiting.get<SyncEngineStatus::WaitingForServer>(), nullptr);
    EXPECT_EQ(waiting.get<SyncEngineStatus::WaitingForServer>()->retryAt, at + 4s);
    EXPECT_EQ(waiting.get<SyncEngineStatus::Idle>(), nullptr);
    EXPECT_EQ(caseName(SyncEngineStatus::syncing().statusCase()), "syncing");
}

TEST(SyncTypesTest, PullQueryAndEntityTypeLists) {
    const std::vector<SyncEntityType> types{SyncEntityType::customer, SyncEntityType::draftInvoice};
    EXPECT_EQ(pullQueryItems(std::nullopt, 500, types),
              (QueryItems{{"limit", "500"}, {"entityTypes", "customer,draftInvoice"}}));
    EXPECT_EQ(pullQueryItems("abc=", 500, {}), (QueryItems{{"limit", "500"}, {"cursor", "abc="}}));
    EXPECT_EQ(pullQueryItems("", 1, types).at(1), (std::pair<std::string, std::string>{"cursor", ""}));
    EXPECT_EQ(splitEntityTypeList(",customer,,contact,"), (std::vector<std::string>{"customer", "contact"}));
    EXPECT_TRUE(splitEntityTypeList("").empty());
    EXPECT_EQ(splitEntityTypeList(joinEntityTypes(kAllSyncEntityTypes)).size(), 20u);
}

TEST(SyncTypesTest, BackOffDoublesUpToTheCap) {
    std::vector<long> waits;
    for (int retry = 1; retry <= SyncTuning::kRateLimitRetries; ++retry) {
        waits.push_back(static_cast<long>(SyncTuning::backOffDelay(retry).count()));
    }
    EXPECT_EQ(waits, (std::vector<long>{2, 4, 8, 16, 32, 60}));
}

}  // namespace
}  // namespace zelvorin
