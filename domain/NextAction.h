#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "domain/TimePoint.h"

namespace zelvorin {

enum class NextActionKind {
    viewPdf,            // "view-pdf"
    registerPayment,    // "register-payment"
    registerRemainder,  // "register-remainder"
    sendReminder1,      // "send-reminder-1"
    sendReminder2,      // "send-reminder-2"
    sendFinalNotice,    // "send-final-notice"
    createCredit,       // "create-credit"
    viewCredit,         // "view-credit"
};

std::string_view rawValue(NextActionKind kind);
std::optional<NextActionKind> parseNextActionKind(std::string_view raw);

// The primary button of an invoice screen.
struct NextAction {
    NextActionKind kind = NextActionKind::viewPdf;
    std::string label;

    bool operator==(const NextAction&) const = default;
};

struct NextActionReminder {
    std::string level;  // "reminder_1", "reminder_2" or "reminder_final"
    TimePoint sentAt;
};

struct NextActionInput {
    std::string status;  // an InvoiceStatus raw value, compared exactly
    std::optional<TimePoint> dueDate;
    std::vector<NextActionReminder> reminders;  // any order
    bool hasCreditNote = false;
    TimePoint now;
};

}  // namespace zelvorin
