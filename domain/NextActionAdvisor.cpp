#include "domain/NextActionAdvisor.h"

#include <algorithm>
#include <initializer_list>

namespace zelvorin::NextActionAdvisor {

namespace {

bool isOneOf(std::string_view status, std::initializer_list<std::string_view> statuses) {
    return std::find(statuses.begin(), statuses.end(), status) != statuses.end();
}

// The most recent reminder; among reminders sent at the same moment the first in the list.
const NextActionReminder* latestReminder(const std::vector<NextActionReminder>& reminders) {
    const NextActionReminder* latest = nullptr;
    for (const NextActionReminder& reminder : reminders) {
        if (latest == nullptr || reminder.sentAt > latest->sentAt) latest = &reminder;
    }
    return latest;
}

// Whole 86400-second periods, truncated towards zero: 13 days and 23 hours is 13.
bool atLeastIntervalAgo(TimePoint sentAt, TimePoint now) {
    const auto wholeDays = (now - sentAt) / std::chrono::seconds{86400};
    return wholeDays >= kReminderInterval.count();
}

NextAction action(NextActionKind kind, const char* label) {
    return NextAction{kind, label};
}

std::optional<NextAction> overdueAction(const std::vector<NextActionReminder>& reminders, TimePoint now) {
    const NextActionReminder* latest = latestReminder(reminders);
    if (latest == nullptr) return action(NextActionKind::sendReminder1, "Stuur 1e herinnering");
    if (atLeastIntervalAgo(latest->sentAt, now)) {
        if (latest->level == "reminder_1")
            return action(NextActionKind::sendReminder2, "Stuur 2e herinnering");
        if (latest->level == "reminder_2") return action(NextActionKind::sendFinalNotice, "Stuur aanmaning");
    }
    return action(NextActionKind::registerPayment, "Registreer betaling");
}

}  // namespace

std::optional<NextAction> nextAction(const NextActionInput& input) {
    const std::string_view status = input.status;
    if (isOneOf(status, {"draft", "readyForFinalize", "finalizing", "finalized", "cancelled"}))
        return std::nullopt;
    if (status == "credited") {
        return input.hasCreditNote ? action(NextActionKind::viewCredit, "Bekijk credit factuur")
                                   : action(NextActionKind::createCredit, "Maak credit factuur");
    }
    if (status == "paid") return action(NextActionKind::createCredit, "Maak credit factuur");
    if (status == "partiallyPaid")
        return action(NextActionKind::registerRemainder, "Registreer resterende betaling");
    if (!input.dueDate || input.now <= *input.dueDate) return action(NextActionKind::viewPdf, "Bekijk PDF");
    return overdueAction(input.reminders, input.now);
}

}  // namespace zelvorin::NextActionAdvisor
