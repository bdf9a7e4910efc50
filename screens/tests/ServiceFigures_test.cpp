#include <gtest/gtest.h>

#include "screens/BriefingScreen.h"
#include "screens/InputError.h"
#include "screens/VatReturnScreen.h"

namespace zelvorin {
namespace {

using namespace dashboardactions;

TEST(VatReturnScreenTest, RowsNameWhatIsOwedOrReclaimedAndLeaveOutWhatTheServiceDidNotSend) {
    vatactions::BtwQuarterSummary summary;
    summary.rubriek1a = {"1a", 100000, 21000, 2};
    summary.rubriek5b = {"5b Voorbelasting", 30000};
    summary.totalBtwAf = 21000;
    summary.totalVoorbelasting = 30000;
    summary.perSaldo = -9000;
    std::vector<VatReturnRow> rows = vatReturnRows(summary);
    EXPECT_EQ(rows.front(), (VatReturnRow{"1a", "€ 1.000,00", "€ 210,00"}));
    EXPECT_EQ(rows.back(), (VatReturnRow{"Per saldo terug te vragen", "", "€ 90,00"}));
    EXPECT_EQ(rows.size(), 8u);  // no reverse-charged turnover from this service

    summary.rubriekVerlegd = vatactions::BtwRubriek{"Verlegd", 50000, 0, 1};
    summary.perSaldo = 0;
    rows = vatReturnRows(summary);
    EXPECT_EQ(rows[3], (VatReturnRow{"Verlegd", "€ 500,00", "—"}));
    EXPECT_EQ(rows.back().label, "Per saldo te betalen");

    EXPECT_NO_THROW(requireVatPeriod(2026, 4));
    for (const auto& [year, quarter] : {std::pair{2026, 5}, {2026, 0}, {1899, 1}, {2101, 1}})
        EXPECT_THROW(requireVatPeriod(year, quarter), InputError) << year << " Q" << quarter;
}

TEST(BriefingScreenTest, HeadingChoicesAndSnooze) {
    NativeDashboardBriefing briefing;
    briefing.greetingTitle = "Goedemorgen";
    briefing.contextLine = "2 punten voor deze week";
    EXPECT_EQ(briefingHeading(briefing), "Goedemorgen · 2 punten voor deze week");
    EXPECT_EQ(briefingHeading(NativeDashboardBriefing{}), "");

    NativeAiActionItem action;
    EXPECT_EQ(briefingChoices(action).size(), 3u);  // none offered: the three decisions
    action.availableActions = {{"later", "Straks"}, {"dismissed", "Weg ermee"}};
    EXPECT_EQ(briefingChoices(action),
              (std::vector<BriefingChoice>{{NativeAiActionDecision::dismissed, "Weg ermee"}}));

    using namespace std::chrono;
    EXPECT_EQ(snoozeUntil(year{2026} / December / 28), "2027-01-04");
}

}  // namespace
}  // namespace zelvorin
