#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "api-client/SyncAPIClient.h"

// The days off of a recurring-invoice schedule, kept by the service (not synced). The POST answers
// with the fetch mapping (403/404 as forbidden/notFound, 409/422 as httpError with the service's
// text), the DELETE with the action mapping.
namespace zelvorin::scheduleactions {

struct NativeDayOff {
    std::string id;
    std::string scheduleId;
    std::string date;  // "yyyy-MM-dd"
    std::string type;  // "vakantie", "ziek", "vrij"
    std::string createdAt;

    static NativeDayOff fromJson(
        const nlohmann::json& body);  // APIError::InvalidResponse when it does not fit
    nlohmann::ordered_json toJson() const;
    bool operator==(const NativeDayOff&) const = default;
};

// By date.
std::vector<NativeDayOff> daysOff(SyncAPIClient& client, const std::string& scheduleId);
NativeDayOff addDayOff(SyncAPIClient& client, const std::string& scheduleId, const std::string& date,
                       const std::string& type);
// The last segment is the day off's id.
void removeDayOff(SyncAPIClient& client, const std::string& scheduleId, const std::string& dayOffId);

}  // namespace zelvorin::scheduleactions
