#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "api-client/DashboardActions.h"

namespace zelvorin {

// The dashboard's weekly briefing as the desktop shows it.

// "Goedemorgen · Week 12 · 6 punten voor deze week": what the briefing has of the three, in order.
std::string briefingHeading(const dashboardactions::NativeDashboardBriefing& briefing);

// The buttons of an action: its own choices whose keys are decisions, in its order; done, later
// and dismiss when it offers none.
struct BriefingChoice {
    dashboardactions::NativeAiActionDecision decision;
    std::string label;
    bool operator==(const BriefingChoice&) const = default;
};
std::vector<BriefingChoice> briefingChoices(const dashboardactions::NativeAiActionItem& action);

// "Later" puts an action away for a week.
std::string snoozeUntil(std::chrono::year_month_day today);

}  // namespace zelvorin
