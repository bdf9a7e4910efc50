#include "api-client/ProposalActions.h"

#include "api-client/ResponseFields.h"

namespace zelvorin::proposalactions {

namespace fields = responsefields;
using namespace proposalrecords;

namespace {

const std::string kProposals = "api/native/v1/proposals";

std::string proposalPath(const std::string& id) {
    return kProposals + "/" + percentEncodeQueryValue(id);
}

}  // namespace

std::vector<ProposalTemplateSummary> templates(SyncAPIClient& client) {
    const nlohmann::json body = client.fetch(kProposals);
    std::vector<ProposalTemplateSummary> list;
    for (const nlohmann::json& item : fields::array(body, "templates"))
        list.push_back(ProposalTemplateSummary::fromJson(item));
    return list;
}

std::string create(SyncAPIClient& client, const std::string& title, const std::string& contactId,
                   const std::string& fromTemplateId) {
    const nlohmann::json body = client.action(
        "POST", kProposals, {{"title", title}, {"contactId", contactId}, {"fromTemplateId", fromTemplateId}});
    return fields::text(body, "id");
}

std::string actionBody(const std::string& action) {
    return "{\"action\":\"" + action + "\"}";
}

void applyAction(SyncAPIClient& client, const std::string& proposalId, const std::string& action) {
    HttpRequest request;
    request.method = "PATCH";
    request.url = client.url(proposalPath(proposalId));
    request.body = actionBody(action);
    request.headers.emplace_back("Content-Type", "application/json");
    mapActionResponse(client.sendAuthorized(std::move(request)), false);
}

void remove(SyncAPIClient& client, const std::string& proposalId) {
    client.action("DELETE", proposalPath(proposalId), nlohmann::ordered_json::object(), false);
}

std::vector<ProposalTimelineItem> timeline(SyncAPIClient& client, const std::string& proposalId) {
    const nlohmann::json body = client.fetch(proposalPath(proposalId) + "/timeline");
    if (!body.is_array()) fields::invalid();
    std::vector<ProposalTimelineItem> items;
    for (const nlohmann::json& item : body)
        items.push_back(ProposalTimelineItem::fromJson(item));
    return items;
}

ProposalStats stats(SyncAPIClient& client, const std::string& proposalId) {
    return ProposalStats::fromJson(client.fetch(proposalPath(proposalId) + "/stats"));
}

ProposalRemindResponse remind(SyncAPIClient& client, const std::string& proposalId, const std::string& type) {
    return ProposalRemindResponse::fromJson(
        client.action("POST", proposalPath(proposalId) + "/remind", {{"type", type}}));
}

void resendInvite(SyncAPIClient& client, const std::string& proposalId, const std::string& recipientId) {
    client.action("POST", proposalPath(proposalId) + "/resend-invite", {{"recipientId", recipientId}}, false);
}

std::string send(SyncAPIClient& client, const std::string& proposalId) {
    const nlohmann::json body =
        client.action("POST", proposalPath(proposalId) + "/send", nlohmann::ordered_json::object());
    return fields::text(body, "status");
}

}  // namespace zelvorin::proposalactions
