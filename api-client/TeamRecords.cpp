#include "api-client/TeamRecords.h"

#include "api-client/ResponseFields.h"

namespace zelvorin::teamrecords {

namespace fields = responsefields;
using Json = nlohmann::ordered_json;

namespace {

void putOptional(Json& json, const char* key, const std::optional<std::string>& value) {
    if (value) json[key] = *value;
}

template <class Record>
std::vector<Record> listOf(const nlohmann::json& body, const char* key) {
    std::vector<Record> list;
    for (const nlohmann::json& item : fields::array(body, key))
        list.push_back(Record::fromJson(item));
    return list;
}

template <class Record>
Json arrayOf(const std::vector<Record>& records) {
    Json list = Json::array();
    for (const Record& record : records)
        list.push_back(record.toJson());
    return list;
}

}  // namespace

NativeTeamMember NativeTeamMember::fromJson(const nlohmann::json& body) {
    fields::object(body);
    return {fields::text(body, "userId"),
            fields::text(body, "name"),
            fields::text(body, "email"),
            fields::text(body, "role"),
            fields::optionalText(body, "image"),
            fields::optionalText(body, "createdAt"),
            fields::optionalText(body, "lastActive")};
}

Json NativeTeamMember::toJson() const {
    Json json{{"userId", userId}, {"name", name}, {"email", email}, {"role", role}};
    putOptional(json, "image", image);
    putOptional(json, "createdAt", createdAt);
    putOptional(json, "lastActive", lastActive);
    return json;
}

NativeTeamInvite NativeTeamInvite::fromJson(const nlohmann::json& body) {
    fields::object(body);
    return {fields::text(body, "id"), fields::text(body, "email"), fields::optionalText(body, "role"),
            fields::optionalText(body, "createdAt"), fields::text(body, "expiresAt")};
}

Json NativeTeamInvite::toJson() const {
    Json json{{"id", id}, {"email", email}};
    putOptional(json, "role", role);
    putOptional(json, "createdAt", createdAt);
    json["expiresAt"] = expiresAt;
    return json;
}

NativeTeam NativeTeam::fromJson(const nlohmann::json& body) {
    fields::object(body);
    return {listOf<NativeTeamMember>(body, "members"), listOf<NativeTeamInvite>(body, "invites"),
            fields::text(body, "callerUserId"), fields::optionalText(body, "callerRole"),
            fields::flag(body, "callerIsAdmin")};
}

Json NativeTeam::toJson() const {
    Json json{{"members", arrayOf(members)}, {"invites", arrayOf(invites)}, {"callerUserId", callerUserId}};
    putOptional(json, "callerRole", callerRole);
    json["callerIsAdmin"] = callerIsAdmin;
    return json;
}

NativeMemberDetail NativeMemberDetail::fromJson(const nlohmann::json& body) {
    fields::object(body);
    const nlohmann::json& profile = fields::objectMember(body, "profile");
    NativeMemberDetail detail{
        {fields::text(profile, "userId"), fields::text(profile, "name"), fields::text(profile, "email"),
         fields::text(profile, "role"), fields::text(profile, "createdAt")},
        {},
        {}};
    for (const nlohmann::json& session : fields::array(body, "sessions")) {
        fields::object(session);
        detail.sessions.push_back({fields::text(session, "id"), fields::optionalText(session, "ipAddress"),
                                   fields::optionalText(session, "userAgent"),
                                   fields::text(session, "createdAt"), fields::text(session, "expiresAt")});
    }
    for (const nlohmann::json& item : fields::array(body, "activity")) {
        fields::object(item);
        detail.activity.push_back({fields::text(item, "id"), fields::text(item, "timestamp"),
                                   fields::text(item, "action"), fields::text(item, "entityType"),
                                   fields::text(item, "entityId"), fields::optionalText(item, "ipAddress")});
    }
    return detail;
}

Json NativeMemberDetail::toJson() const {
    Json sessionList = Json::array();
    for (const NativeMemberSession& session : sessions) {
        Json json{{"id", session.id}};
        putOptional(json, "ipAddress", session.ipAddress);
        putOptional(json, "userAgent", session.userAgent);
        json["createdAt"] = session.createdAt;
        json["expiresAt"] = session.expiresAt;
        sessionList.push_back(std::move(json));
    }
    Json activityList = Json::array();
    for (const NativeMemberActivity& item : activity) {
        Json json{{"id", item.id},
                  {"timestamp", item.timestamp},
                  {"action", item.action},
                  {"entityType", item.entityType},
                  {"entityId", item.entityId}};
        putOptional(json, "ipAddress", item.ipAddress);
        activityList.push_back(std::move(json));
    }
    return {{"profile",
             {{"userId", profile.userId},
              {"name", profile.name},
              {"email", profile.email},
              {"role", profile.role},
              {"createdAt", profile.createdAt}}},
            {"sessions", std::move(sessionList)},
            {"activity", std::move(activityList)}};
}

NativeAuditEntry NativeAuditEntry::fromJson(const nlohmann::json& body) {
    fields::object(body);
    return {fields::text(body, "id"),
            fields::text(body, "timestamp"),
            fields::text(body, "userId"),
            fields::optionalText(body, "userName"),
            fields::optionalText(body, "userEmail"),
            fields::text(body, "action"),
            fields::text(body, "entityType"),
            fields::text(body, "entityId"),
            fields::optionalText(body, "detailsJson"),
            fields::optionalText(body, "ipAddress")};
}

Json NativeAuditEntry::toJson() const {
    Json json{{"id", id}, {"timestamp", timestamp}, {"userId", userId}};
    putOptional(json, "userName", userName);
    putOptional(json, "userEmail", userEmail);
    json["action"] = action;
    json["entityType"] = entityType;
    json["entityId"] = entityId;
    putOptional(json, "detailsJson", detailsJson);
    putOptional(json, "ipAddress", ipAddress);
    return json;
}

AuditLogPage AuditLogPage::fromJson(const nlohmann::json& body) {
    fields::object(body);
    return {listOf<NativeAuditEntry>(body, "entries"), fields::flag(body, "hasMore")};
}

Json AuditLogPage::toJson() const {
    return {{"entries", arrayOf(entries)}, {"hasMore", hasMore}};
}

MarkReadResponse MarkReadResponse::fromJson(const nlohmann::json& body) {
    fields::object(body);
    return {fields::integer(body, "updated")};
}

Json MarkReadResponse::toJson() const {
    return {{"updated", updated}};
}

}  // namespace zelvorin::teamrecords
