#pragma once

#include <chrono>
#include <optional>

#include "domain/NextAction.h"

namespace zelvorin::NextActionAdvisor {

// A reminder may be followed by the next one once this many whole days have passed.
inline constexpr std::chrono::days kReminderInterval{14};

// The one next step for an invoice, or nothing for drafts and cancelled invoices:
//   credited            -> view or create the credit note
//   paid                -> create a credit note
//   partiallyPaid       -> register the remainder
//   not yet due         -> view the PDF
//   overdue             -> 1st reminder; 2nd and final notice each 14 whole days after the
//                          previous one; otherwise (too soon, or after the final notice) register
//                          the payment
std::optional<NextAction> nextAction(const NextActionInput& input);

}  // namespace zelvorin::NextActionAdvisor
