#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "domain/SchedulePeriods.h"
#include "service/invoices/InvoiceParty.h"

namespace zelvorin::service {

// A schedule as the generator reads it from its synced payload.
struct ScheduleTerms {
    std::string id;
    std::string customerId;
    bool fixed = false;  // scheduleType "fixed": bills its lines; otherwise the working week's hours
    ScheduleRhythm rhythm;
    WorkWeek hours{};
    std::int64_t rateCents = 0;
    std::string invoiceDescriptionTemplate;
    std::string descriptionTemplate;
    nlohmann::ordered_json lines = nlohmann::ordered_json::array();
    bool autoSend = false;
    std::int64_t reviewWindowHours = 0;
    std::int64_t indexationBps = 0;  // yearly raise of the rate and fixed amounts; 0 without indexation
};

// The terms of an active, live schedule; nothing for one the generator cannot bill (inactive,
// deleted, an unknown frequency or billing time). The first day is the latest of its start date
// and the day it was made: a schedule never bills a period before it existed.
std::optional<ScheduleTerms> scheduleTerms(const nlohmann::ordered_json& payload);

// The invoice of one period and its lines, as records (payloads without bookkeeping); no invoice
// when an hourly period has no billable hours left. `daysOff` holds the schedule's days off and the
// public holidays.
struct ScheduleInvoice {
    nlohmann::ordered_json invoice;
    std::vector<nlohmann::ordered_json> lines;
};
std::optional<ScheduleInvoice> scheduleInvoice(const ScheduleTerms& terms, const BillingPeriod& period,
                                               const InvoiceParty& party,
                                               const std::set<std::chrono::sys_days>& daysOff,
                                               const std::string& organizationId,
                                               const std::string& invoiceId, const std::string& now);

}  // namespace zelvorin::service
