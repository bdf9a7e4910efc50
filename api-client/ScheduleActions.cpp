#include "api-client/ScheduleActions.h"

#include "api-client/ResponseFields.h"

namespace zelvorin::scheduleactions {

namespace fields = responsefields;

namespace {

std::string daysOffPath(const std::string& scheduleId) {
    return "api/native/v1/schedules/" + percentEncodeQueryValue(scheduleId) + "/days-off";
}

}  // namespace

NativeDayOff NativeDayOff::fromJson(const nlohmann::json& body) {
    fields::object(body);
    return {fields::text(body, "id"), fields::text(body, "scheduleId"), fields::text(body, "date"),
            fields::text(body, "type"), fields::text(body, "createdAt")};
}

nlohmann::ordered_json NativeDayOff::toJson() const {
    return {{"id", id}, {"scheduleId", scheduleId}, {"date", date}, {"type", type}, {"createdAt", createdAt}};
}

std::vector<NativeDayOff> daysOff(SyncAPIClient& client, const std::string& scheduleId) {
    const nlohmann::json body = client.fetch(daysOffPath(scheduleId));
    std::vector<NativeDayOff> days;
    for (const nlohmann::json& day : fields::array(body, "daysOff"))
        days.push_back(NativeDayOff::fromJson(day));
    return days;
}

NativeDayOff addDayOff(SyncAPIClient& client, const std::string& scheduleId, const std::string& date,
                       const std::string& type) {
    const nlohmann::json body =
        client.fetch("POST", daysOffPath(scheduleId), nlohmann::ordered_json{{"date", date}, {"type", type}});
    return NativeDayOff::fromJson(fields::objectMember(body, "dayOff"));
}

void removeDayOff(SyncAPIClient& client, const std::string& scheduleId, const std::string& dayOffId) {
    client.action("DELETE", daysOffPath(scheduleId) + "/" + percentEncodeQueryValue(dayOffId), {}, false);
}

}  // namespace zelvorin::scheduleactions
