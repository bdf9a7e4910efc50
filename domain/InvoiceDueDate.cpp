#include "domain/InvoiceDueDate.h"

#include "domain/IsoDateTime.h"
#include "domain/Timestamps.h"

namespace zelvorin::InvoiceDueDate {

namespace {

using namespace std::chrono;

constexpr sys_days kFirstDay{year{1} / January / 1};
constexpr sys_days kLastDay{year{9999} / December / 31};

}  // namespace

std::int64_t termDays(std::optional<std::int64_t> specificTerm,
                      std::optional<std::int64_t> organisationTerm) {
    if (specificTerm) return *specificTerm;
    return organisationTerm.value_or(kDefaultPaymentTermDays);
}

year_month_day dueDate(year_month_day issueDate, std::optional<std::int64_t> specificTerm,
                       std::optional<std::int64_t> organisationTerm) {
    if (!issueDate.ok()) return issueDate;
    const sys_days issued{issueDate};
    const std::int64_t term = termDays(specificTerm, organisationTerm);
    // Compare in days before adding: a corrupt term of 10^18 must not overflow the day count.
    const std::int64_t earliest = (kFirstDay - issued).count();
    const std::int64_t latest = (kLastDay - issued).count();
    if (term < earliest || term > latest) return issueDate;
    return year_month_day{issued + days{term}};
}

year_month_day dueDate(std::optional<year_month_day> explicitDueDate, year_month_day issueDate,
                       std::optional<std::int64_t> specificTerm,
                       std::optional<std::int64_t> organisationTerm) {
    if (explicitDueDate) return *explicitDueDate;
    return dueDate(issueDate, specificTerm, organisationTerm);
}

std::optional<std::string> dueDateText(std::string_view issueDate,
                                       std::optional<std::int64_t> organisationTerm) {
    const std::optional<year_month_day> issued = parseCalendarDate(issueDate);
    if (!issued) return std::nullopt;
    return formatCalendarDate(dueDate(*issued, std::nullopt, organisationTerm));
}

std::optional<std::int64_t> paymentTermDays(std::string_view issueDate, std::string_view dueDate) {
    const auto issue = parseIsoDateTime(issueDate);
    const auto due = parseIsoDateTime(dueDate);
    if (!issue || !due) return std::nullopt;
    const std::int64_t seconds = (*due - *issue).count();
    if (seconds <= 0) return 0;
    return (seconds + 43'200) / 86'400;  // half a day rounds up
}

std::optional<std::int64_t> daysOverdue(std::string_view dueDate, sys_days today) {
    const auto due = parseIsoDateTime(dueDate);
    if (!due) return std::nullopt;
    const std::int64_t seconds = (sys_seconds{today.time_since_epoch()} - *due).count();
    if (seconds <= 0) return 0;
    return seconds / 86'400;
}

}  // namespace zelvorin::InvoiceDueDate
