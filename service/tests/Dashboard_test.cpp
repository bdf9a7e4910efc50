#include <gtest/gtest.h>

#include "persistence/sqlite/Connection.h"
#include "service/btw/BtwActions.h"
#include "service/dashboard/DashboardBriefing.h"
#include "service/dashboard/DashboardSummary.h"
#include "service/http/ServiceError.h"
#include "service/seed/DemoSeed.h"
#include "service/store/ServiceDatabase.h"
#include "testing/TempDir.h"

namespace zelvorin::service {
namespace {

using namespace std::chrono;
using Json = nlohmann::ordered_json;

const TimePoint kNow = sys_days{year{2026} / March / 16} + hours{10};

class DashboardIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(seedDemo(database, year{2026} / March / 16)); }

    Json summary(const std::string& period, std::optional<std::string> from = {},
                 std::optional<std::string> to = {}) {
        return dashboardSummary(database, caller, period, from, to, kNow);
    }
    std::vector<std::string> actionIds(TimePoint now, const Caller& who) {
        std::vector<std::string> ids;
        const Json briefing = dashboardBriefing(database, who, now);
        for (const Json& action : briefing["actions"])
            ids.push_back(action["id"]);
        return ids;
    }

    testing::TempDir dir;
    ServiceDatabase database{dir.path() / "data"};
    Caller caller{demoOwnerUserId(), demoOrganizationId(), "apparaat-a", "sessie", std::nullopt};
};

TEST_F(DashboardIntegrationTest, SummaryFiguresAgreeWithTheVatReturnAndTheBankAndFollowThePeriod) {
    // The revenue figures follow the device's own (tested beside the desktop's dashboard).
    const Json quarter = summary("kwartaal");
    EXPECT_EQ(quarter["revenueByMonth"].size(), 3u);
    EXPECT_EQ(quarter["revenueByMonth"].back()["totalCents"], quarter["revenueThisMonthCents"]);
    EXPECT_EQ(quarter["btwLabel"], "Q1 2026");
    EXPECT_EQ(quarter["btwSaldoCents"], quarterSummary(database, caller, 2026, 1)["perSaldo"]);
    EXPECT_EQ(quarter["cashflow"].back()["saldoCents"], quarter["bankBalanceCents"]);
    const Json& opbouw = quarter["vrijTeBestedenOpbouw"];
    EXPECT_EQ(quarter["vrijTeBestedenCents"].get<std::int64_t>(),
              opbouw["banksaldoCents"].get<std::int64_t>() - opbouw["btwSchuldCents"].get<std::int64_t>() -
                  opbouw["ibReserveCents"].get<std::int64_t>());
    EXPECT_GT(quarter["overdueCount"], 0);
    EXPECT_GT(quarter["outstandingCents"].get<std::int64_t>(), quarter["overdueCents"].get<std::int64_t>());
    EXPECT_EQ(quarter["unmatchedTransactionCount"], 1);  // the transfer without a reference
    EXPECT_EQ(quarter["recentActivity"].size(), 10u);
    EXPECT_FALSE(quarter.contains("winstVerlies"));  // absent, not empty: there is nothing to build it from

    EXPECT_EQ(summary("vorig_jaar")["revenueByMonth"].size(), 12u);
    EXPECT_EQ(summary("jaar")["revenueByMonth"].front()["month"], "2026-01");
    EXPECT_EQ(summary("alles")["revenueByMonth"].back()["month"], "2026-03");
    EXPECT_EQ(summary("aangepast", "2026-02-01", "2026-02-28")["btwPerKwartaal"][0]["kwartaal"], "Q1 2026");
    EXPECT_EQ(quarter["outstandingCents"],
              summary("alles")["outstandingCents"]);  // not a figure of the period

    for (const auto& [period, from, to] :
         {std::tuple<std::string, std::optional<std::string>, std::optional<std::string>>{
              "maand", std::nullopt, std::nullopt},
          {"aangepast", "2026-03-01", "2026-02-01"},
          {"aangepast", "1 maart", std::nullopt}}) {
        try {
            summary(period, from, to);
            ADD_FAILURE() << period;
        } catch (const ServiceError& error) {
            EXPECT_EQ(error.kind(), ErrorKind::unprocessable);
        }
    }
}

TEST_F(DashboardIntegrationTest, BriefingActionsAndTheirDecisionsAreRemembered) {
    const Json briefing = dashboardBriefing(database, caller, kNow);
    EXPECT_EQ(briefing["enabled"], true);
    EXPECT_EQ(briefing["weekNumber"], 12);
    EXPECT_EQ(briefing["narrativeSource"], "regels");
    EXPECT_EQ(briefing["overdueCount"], briefing["overdueInvoices"].size());
    const std::vector<std::string> ids = actionIds(kNow, caller);
    // The return of the first quarter falls due on 30 April: 45 days ahead.
    EXPECT_NE(std::ranges::find(ids, "btw-2026-Q1"), ids.end());
    ASSERT_GE(ids.size(), 3u);
    EXPECT_TRUE(ids[0].starts_with("herinnering-"));

    decideBriefingAction(database, caller, ids[0], "dismissed", std::nullopt, kNow);
    decideBriefingAction(database, caller, ids[1], "snoozed", std::string("2026-03-20"), kNow);
    std::vector<std::string> now = actionIds(kNow, caller);
    EXPECT_EQ(std::ranges::find(now, ids[0]), now.end());
    EXPECT_EQ(std::ranges::find(now, ids[1]), now.end());
    EXPECT_EQ(now.size(), ids.size() - 2);
    // The snoozed one is back on its date; the dismissed one stays away.
    const std::vector<std::string> later = actionIds(kNow + days{4}, caller);
    EXPECT_NE(std::ranges::find(later, ids[1]), later.end());
    EXPECT_EQ(std::ranges::find(later, ids[0]), later.end());

    // A decision holds for its own organisation only.
    const Caller other{demoOwnerUserId(), secondOrganizationId(), "a", "s", std::nullopt};
    decideBriefingAction(database, other, "btw-2026-Q1", "done", std::nullopt, kNow);
    now = actionIds(kNow, caller);
    EXPECT_NE(std::ranges::find(now, "btw-2026-Q1"), now.end());

    for (const auto& [decision, until] :
         {std::pair<std::string, std::optional<std::string>>{"later", std::nullopt},
          {"snoozed", std::nullopt},
          {"snoozed", "2026-03-16"}}) {
        EXPECT_THROW(decideBriefingAction(database, caller, ids[2], decision, until, kNow), ServiceError);
    }
    now = actionIds(kNow, caller);
    EXPECT_NE(std::ranges::find(now, ids[2]), now.end());  // a refused decision changed nothing
}

}  // namespace
}  // namespace zelvorin::service
