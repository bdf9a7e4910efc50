#pragma once

#include <map>
#include <optional>
#include <string>

namespace zelvorin {
class Connection;
}

// What the organisation decided about the briefing's suggested actions (the briefing_decision
// table): done and dismissed actions stay away, snoozed ones come back after their date.
namespace zelvorin::service::briefingdecisions {

struct Decision {
    std::string decision;                    // "done", "dismissed" or "snoozed"
    std::optional<std::string> snoozeUntil;  // "yyyy-MM-dd", for "snoozed"
};

// Stores the decision, replacing an earlier one about the same action.
void put(Connection& db, const std::string& organizationId, const std::string& actionId,
         const Decision& decision, const std::string& userId, const std::string& decidedAt);
std::map<std::string, Decision> all(Connection& db, const std::string& organizationId);

}  // namespace zelvorin::service::briefingdecisions
