#include "screens/BriefingScreen.h"

#include "domain/Timestamps.h"

namespace zelvorin {

using namespace dashboardactions;

std::string briefingHeading(const NativeDashboardBriefing& briefing) {
    std::string heading;
    for (const auto& part : {briefing.greetingTitle, briefing.kickerLine, briefing.contextLine}) {
        if (!part || part->empty()) continue;
        heading += (heading.empty() ? "" : " · ") + *part;
    }
    return heading;
}

std::vector<BriefingChoice> briefingChoices(const NativeAiActionItem& action) {
    std::vector<BriefingChoice> choices;
    for (const NativeAiActionChoice& choice :
         action.availableActions.value_or(std::vector<NativeAiActionChoice>{})) {
        if (const auto decision = parseAiActionDecision(choice.key))
            choices.push_back({*decision, choice.label});
    }
    if (choices.empty()) {
        choices = {{NativeAiActionDecision::done, "Gedaan"},
                   {NativeAiActionDecision::snoozed, "Later"},
                   {NativeAiActionDecision::dismissed, "Negeren"}};
    }
    return choices;
}

std::string snoozeUntil(std::chrono::year_month_day today) {
    return formatCalendarDate(std::chrono::sys_days{today} + std::chrono::days{7});
}

}  // namespace zelvorin
