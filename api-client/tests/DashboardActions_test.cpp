#include "api-client/DashboardActions.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "api-client/APIError.h"
#include "api-client/TokenStore.h"
#include "testing/ServiceProcess.h"
#include "testing/ServiceSignIn.h"

namespace zelvorin::dashboardactions {
namespace {

using Json = nlohmann::json;

TEST(DashboardRecordsTest, OptionalMembersStayAbsentAndWrongTypesAreRefused) {
    const NativeDashboardBriefing off =
        NativeDashboardBriefing::fromJson(Json::parse(R"({"enabled": false})"));
    EXPECT_FALSE(off.enabled);
    EXPECT_FALSE(off.actions);
    EXPECT_EQ(off.toJson().dump(), R"({"enabled":false})");

    const Json bare = Json::parse(R"({"serverTime": "2026-03-16T10:00:00.000Z", "revenueThisMonthCents": 1,
        "outstandingCents": 2, "outstandingCount": 3, "overdueCents": 4, "overdueCount": 5, "recentActivity": [],
        "cashflow": null})");
    const NativeDashboardSummary summary = NativeDashboardSummary::fromJson(bare);
    EXPECT_EQ(summary.overdueCount, 5);
    EXPECT_FALSE(summary.cashflow);  // null and missing: absent, not an empty series
    EXPECT_FALSE(summary.revenueByMonth);

    for (const auto& [key, value] : {std::pair<const char*, Json>{"overdueCount", "5"},
                                     {"recentActivity", Json::object()},
                                     {"bankBalanceCents", 1.5}}) {
        Json wrong = bare;
        wrong[key] = value;
        EXPECT_THROW(NativeDashboardSummary::fromJson(wrong), APIError) << key;
    }
    Json missing = bare;
    missing.erase("serverTime");
    EXPECT_THROW(NativeDashboardSummary::fromJson(missing), APIError);
}

TEST(DashboardRecordsTest, AFullBriefingComesBackAsItWent) {
    const Json full = Json::parse(R"({"enabled": true, "greetingTitle": "Goedemorgen", "weekNumber": 12,
        "revenueDeltaPercent": -12.5, "actions": [{"id": "a", "title": "T", "meta": {"bronnen": ["x"],
        "sourcePassage": {"content": "c", "section": "s"}}, "availableActions": [{"key": "done", "label": "Gedaan"}]}],
        "cards": [{"id": "c", "state": "ok", "aiText": "t", "ibForecastCents": {"low": 1, "expected": 2, "high": 3},
        "subscores": [{"key": "k", "label": "l", "applicable": true, "count": 2, "deduction": 5}],
        "recentCashflowSeries": [{"datum": "2026-03-01", "saldoCents": 100}], "costsReliable": false}]})");
    const NativeDashboardBriefing briefing = NativeDashboardBriefing::fromJson(full);
    EXPECT_EQ(briefing.cards->front().ibForecastCents->expected, 2);
    EXPECT_EQ(briefing.actions->front().meta->sourcePassage->section, "s");
    EXPECT_EQ(Json::parse(briefing.toJson().dump()), full);
}

TEST(DashboardRecordsTest, PeriodsAndDecisionsKeepTheirWireValues) {
    EXPECT_EQ(rawValue(NativeDashboardPeriod::vorigJaar), "vorig_jaar");
    for (NativeDashboardPeriod period : kAllDashboardPeriods)
        EXPECT_EQ(parseDashboardPeriod(rawValue(period)), period);
    EXPECT_FALSE(parseDashboardPeriod("maand"));
    EXPECT_EQ(parseAiActionDecision("snoozed"), NativeAiActionDecision::snoozed);
    EXPECT_FALSE(parseAiActionDecision("later"));
}

TEST(DashboardActionsIntegrationTest, TheServicesFiguresDecodeAndADecisionTakesTheActionAway) {
    testing::ServiceProcess service{testing::ServiceProcess::demo()};
    auto tokens = std::make_shared<InMemoryTokenStore>();
    tokens->save(
        testing::signInDevice(service, "apparaat-dashboard", std::string("sanne@studiozelvorin.nl")));
    SyncAPIClient client{service.baseUrl(), tokens, "apparaat-dashboard"};

    for (NativeDashboardPeriod period : kAllDashboardPeriods) {
        const NativeDashboardSummary summary = dashboardactions::summary(client, period);
        ASSERT_TRUE(summary.revenueByMonth && summary.cashflow) << rawValue(period);
        EXPECT_FALSE(summary.winstVerlies);
    }
    const NativeDashboardBriefing before = briefing(client);
    ASSERT_TRUE(before.enabled && before.actions && !before.actions->empty());
    const std::string first = before.actions->front().id;
    EXPECT_TRUE(decide(client, first, NativeAiActionDecision::dismissed));
    const auto after = *briefing(client).actions;
    EXPECT_TRUE(std::ranges::none_of(after, [&](const NativeAiActionItem& a) { return a.id == first; }));
    EXPECT_EQ(after.size(), before.actions->size() - 1);

    try {
        decide(client, first, NativeAiActionDecision::snoozed, std::string("2000-01-01"));
        ADD_FAILURE() << "a date in the past";
    } catch (const APIError& error) {
        ASSERT_TRUE(error.is<APIError::Conflict>());
        EXPECT_EQ(std::get<APIError::Conflict>(error.value()).message,
                  "Kies een datum na vandaag om de actie tot dan uit te stellen.");
    }
}

}  // namespace
}  // namespace zelvorin::dashboardactions
