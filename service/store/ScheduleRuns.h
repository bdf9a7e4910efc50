#pragma once

#include <optional>
#include <string>
#include <vector>

#include "domain/TimePoint.h"

namespace zelvorin {
class Connection;
}

namespace zelvorin::service {

// A period of a schedule the service has billed (the schedule_run table).
struct ScheduleRun {
    std::string organizationId;
    std::string scheduleId;
    std::string periodStart;  // "yyyy-MM-dd", the key with the schedule
    std::string periodEnd;
    std::string billingDate;
    std::optional<std::string> invoiceId;  // none: the period had nothing to bill
    std::string generatedAt;
};

namespace scheduleruns {

// Claims the period for its invoice; false when it was billed before (the key is taken), and then
// nothing is written.
bool claim(Connection& db, const ScheduleRun& run);
// The billing date of the schedule's latest billed period.
std::optional<std::string> lastBillingDate(Connection& db, const std::string& organizationId,
                                           const std::string& scheduleId);
// The schedule's periods billed with an invoice that share a day with `from` … `through`
// ("yyyy-MM-dd", inclusive).
std::vector<ScheduleRun> billedOverlapping(Connection& db, const std::string& organizationId,
                                           const std::string& scheduleId, const std::string& from,
                                           const std::string& through);
// When the generator first ran on this database; stored on the first call.
TimePoint generationStart(Connection& db, TimePoint now);

}  // namespace scheduleruns
}  // namespace zelvorin::service
