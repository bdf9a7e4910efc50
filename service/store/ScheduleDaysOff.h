#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zelvorin {
class Connection;
}

namespace zelvorin::service {

// A day a schedule does not bill (the schedule_day_off table).
struct ScheduleDayOff {
    std::string organizationId;
    std::string id;
    std::string scheduleId;
    std::string date;  // "yyyy-MM-dd"
    std::string type;  // "vakantie", "ziek" or "vrij"
    std::string createdAt;
};

namespace scheduledaysoff {

// By date.
std::vector<ScheduleDayOff> ofSchedule(Connection& db, const std::string& organizationId,
                                       const std::string& scheduleId);
std::optional<ScheduleDayOff> find(Connection& db, const std::string& organizationId, const std::string& id);
// False when the schedule has a day off on that date already.
bool add(Connection& db, const ScheduleDayOff& dayOff);
bool remove(Connection& db, const std::string& organizationId, const std::string& id);

}  // namespace scheduledaysoff
}  // namespace zelvorin::service
