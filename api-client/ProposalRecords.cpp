#include "api-client/ProposalRecords.h"

#include "api-client/ResponseFields.h"

namespace zelvorin::proposalrecords {

namespace fields = responsefields;
using Json = nlohmann::ordered_json;

ProposalTemplateSummary ProposalTemplateSummary::fromJson(const nlohmann::json& body) {
    fields::object(body);
    return {fields::text(body, "id"), fields::text(body, "name"), fields::optionalText(body, "description")};
}

Json ProposalTemplateSummary::toJson() const {
    Json json{{"id", id}, {"name", name}};
    if (description) json["description"] = *description;
    return json;
}

ProposalTimelineItem ProposalTimelineItem::fromJson(const nlohmann::json& body) {
    fields::object(body);
    return {fields::text(body, "id"),          fields::text(body, "ts"),
            fields::text(body, "category"),    fields::text(body, "kind"),
            fields::text(body, "description"), fields::optionalText(body, "actorName")};
}

Json ProposalTimelineItem::toJson() const {
    Json json{{"id", id}, {"ts", ts}, {"category", category}, {"kind", kind}, {"description", description}};
    if (actorName) json["actorName"] = *actorName;
    return json;
}

ProposalStats ProposalStats::fromJson(const nlohmann::json& body) {
    fields::object(body);
    return {fields::integer(body, "totalOpens"),         fields::integer(body, "uniqueSessions"),
            fields::integer(body, "uniqueRecipients"),   fields::optionalText(body, "lastViewedAt"),
            fields::integer(body, "blocksDwellTotalMs"), fields::number(body, "bounceRate"),
            fields::integer(body, "sharedCount")};
}

Json ProposalStats::toJson() const {
    Json json{{"totalOpens", totalOpens},
              {"uniqueSessions", uniqueSessions},
              {"uniqueRecipients", uniqueRecipients}};
    if (lastViewedAt) json["lastViewedAt"] = *lastViewedAt;
    json["blocksDwellTotalMs"] = blocksDwellTotalMs;
    json["bounceRate"] = bounceRate;
    json["sharedCount"] = sharedCount;
    return json;
}

ProposalRemindResponse ProposalRemindResponse::fromJson(const nlohmann::json& body) {
    fields::object(body);
    return {fields::integer(body, "sent"), fields::integer(body, "total"), fields::integer(body, "failed")};
}

Json ProposalRemindResponse::toJson() const {
    return {{"sent", sent}, {"total", total}, {"failed", failed}};
}

}  // namespace zelvorin::proposalrecords
