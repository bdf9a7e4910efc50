#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zelvorin::InvoiceDueDate {

inline constexpr std::int64_t kDefaultPaymentTermDays = 30;

// The more specific term (the invoice's or customer's override) wins over the organisation's
// `payment_terms_days`; without either the term is 30 days. 0 is a present term.
std::int64_t termDays(std::optional<std::int64_t> specificTerm, std::optional<std::int64_t> organisationTerm);

// Issue date plus the term in calendar days of the Gregorian calendar. The dates are civil dates
// in Europe/Amsterdam, but adding days to a year_month_day never passes through clock time, so a
// daylight-saving change cannot move the result and no time-zone lookup is needed. A result outside
// 0001-01-01...9999-12-31, or an invalid issue date, gives the issue date itself.
std::chrono::year_month_day dueDate(std::chrono::year_month_day issueDate,
                                    std::optional<std::int64_t> specificTerm,
                                    std::optional<std::int64_t> organisationTerm);

// An explicit due date wins; otherwise as above.
std::chrono::year_month_day dueDate(std::optional<std::chrono::year_month_day> explicitDueDate,
                                    std::chrono::year_month_day issueDate,
                                    std::optional<std::int64_t> specificTerm,
                                    std::optional<std::int64_t> organisationTerm);

// The store's form: "yyyy-MM-dd" in, "yyyy-MM-dd" out, with the organisation's term (30 days when
// absent). An issue date that does not parse gives no due date.
std::optional<std::string> dueDateText(std::string_view issueDate,
                                       std::optional<std::int64_t> organisationTerm);

// The term a document states: days from issue to due (ISO dates or date-times), rounded to the
// nearest day, never below 0. Nothing when either does not parse.
std::optional<std::int64_t> paymentTermDays(std::string_view issueDate, std::string_view dueDate);

// Whole days the due date lies before `today` (taken at midnight UTC); 0 when it is not in the
// past, nothing when it does not parse.
std::optional<std::int64_t> daysOverdue(std::string_view dueDate, std::chrono::sys_days today);

}  // namespace zelvorin::InvoiceDueDate
