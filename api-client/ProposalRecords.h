#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

// The proposal answers of the service. fromJson throws APIError::InvalidResponse for an answer that
// does not fit; toJson writes the record back in field order without absent optionals.
namespace zelvorin::proposalrecords {

struct ProposalTemplateSummary {
    std::string id;
    std::string name;
    std::optional<std::string> description;

    static ProposalTemplateSummary fromJson(const nlohmann::json& body);
    nlohmann::ordered_json toJson() const;
};

struct ProposalTimelineItem {
    std::string id;
    std::string ts;
    std::string category;
    std::string kind;
    std::string description;
    std::optional<std::string> actorName;

    static ProposalTimelineItem fromJson(const nlohmann::json& body);
    nlohmann::ordered_json toJson() const;
};

struct ProposalStats {
    std::int64_t totalOpens = 0;
    std::int64_t uniqueSessions = 0;
    std::int64_t uniqueRecipients = 0;
    std::optional<std::string> lastViewedAt;
    std::int64_t blocksDwellTotalMs = 0;
    double bounceRate = 0;
    std::int64_t sharedCount = 0;

    static ProposalStats fromJson(const nlohmann::json& body);
    nlohmann::ordered_json toJson() const;
};

struct ProposalRemindResponse {
    std::int64_t sent = 0;
    std::int64_t total = 0;
    std::int64_t failed = 0;

    static ProposalRemindResponse fromJson(const nlohmann::json& body);
    nlohmann::ordered_json toJson() const;
};

}  // namespace zelvorin::proposalrecords
