#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

// The team, its audit log and notifications as the service answers them. Each fromJson throws
// APIError::InvalidResponse for an answer that does not fit; toJson writes the record back with
// its keys in field order and absent optionals left out (the CLI's --json output).
namespace zelvorin::teamrecords {

struct NativeTeamMember {
    std::string userId;
    std::string name;
    std::string email;
    std::string role;
    std::optional<std::string> image;
    std::optional<std::string> createdAt;
    std::optional<std::string> lastActive;

    static NativeTeamMember fromJson(const nlohmann::json& body);
    nlohmann::ordered_json toJson() const;
};

struct NativeTeamInvite {
    std::string id;
    std::string email;
    std::optional<std::string> role;
    std::optional<std::string> createdAt;
    std::string expiresAt;

    static NativeTeamInvite fromJson(const nlohmann::json& body);
    nlohmann::ordered_json toJson() const;
};

struct NativeTeam {
    std::vector<NativeTeamMember> members;
    std::vector<NativeTeamInvite> invites;
    std::string callerUserId;
    std::optional<std::string> callerRole;
    bool callerIsAdmin = false;

    static NativeTeam fromJson(const nlohmann::json& body);
    nlohmann::ordered_json toJson() const;
};

struct Profile {
    std::string userId;
    std::string name;
    std::string email;
    std::string role;
    std::string createdAt;
};

struct NativeMemberSession {
    std::string id;
    std::optional<std::string> ipAddress;
    std::optional<std::string> userAgent;
    std::string createdAt;
    std::string expiresAt;
};

struct NativeMemberActivity {
    std::string id;
    std::string timestamp;
    std::string action;
    std::string entityType;
    std::string entityId;
    std::optional<std::string> ipAddress;
};

struct NativeMemberDetail {
    Profile profile;
    std::vector<NativeMemberSession> sessions;
    std::vector<NativeMemberActivity> activity;

    static NativeMemberDetail fromJson(const nlohmann::json& body);
    nlohmann::ordered_json toJson() const;
};

struct NativeAuditEntry {
    std::string id;
    std::string timestamp;
    std::string userId;
    std::optional<std::string> userName;
    std::optional<std::string> userEmail;
    std::string action;
    std::string entityType;
    std::string entityId;
    std::optional<std::string> detailsJson;
    std::optional<std::string> ipAddress;

    static NativeAuditEntry fromJson(const nlohmann::json& body);
    nlohmann::ordered_json toJson() const;
};

// One page of the audit log; `hasMore` false ends paging.
struct AuditLogPage {
    std::vector<NativeAuditEntry> entries;
    bool hasMore = false;

    static AuditLogPage fromJson(const nlohmann::json& body);
    nlohmann::ordered_json toJson() const;
};

struct MarkReadResponse {
    std::int64_t updated = 0;

    static MarkReadResponse fromJson(const nlohmann::json& body);
    nlohmann::ordered_json toJson() const;
};

}  // namespace zelvorin::teamrecords
