#pragma once

#include <optional>
#include <string>
#include <vector>

#include "domain/TimePoint.h"

namespace zelvorin {
class Connection;
}

namespace zelvorin::service {

// A send waiting for its time (the scheduled_send table).
struct ScheduledSend {
    std::string organizationId;
    std::string invoiceId;
    std::string scheduledAt;  // "2026-03-17T08:00:00.000Z"; compared as text
    std::string message;      // the send body as JSON text
    std::string userId;
    std::string deviceId;
};

namespace scheduledsends {

// Stores the schedule, replacing the invoice's earlier one.
void put(Connection& db, const ScheduledSend& send);
std::optional<ScheduledSend> find(Connection& db, const std::string& organizationId,
                                  const std::string& invoiceId);
// Removes the invoice's schedule; true when there was one.
bool remove(Connection& db, const std::string& organizationId, const std::string& invoiceId);
// Every schedule whose time is at or before `now`, earliest first.
std::vector<ScheduledSend> due(Connection& db, TimePoint now);

}  // namespace scheduledsends
}  // namespace zelvorin::service
