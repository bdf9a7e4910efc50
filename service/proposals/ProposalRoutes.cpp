#include "service/proposals/ProposalRoutes.h"

#include "service/http/JsonBody.h"
#include "service/http/Route.h"
#include "service/proposals/ProposalActions.h"

namespace zelvorin::service {

namespace {

const std::string kProposals = "api/native/v1/proposals";

Json timelineJson(const std::vector<ProposalTimelineEntry>& timeline) {
    Json list = Json::array();
    for (const ProposalTimelineEntry& entry : timeline) {
        Json item{{"id", entry.id},
                  {"ts", entry.at},
                  {"category", entry.category},
                  {"kind", entry.kind},
                  {"description", entry.description}};
        if (entry.actorName) item["actorName"] = *entry.actorName;
        list.push_back(std::move(item));
    }
    return list;
}

Json statsJson(const ProposalFigures& figures) {
    Json json{{"totalOpens", figures.totalOpens},
              {"uniqueSessions", figures.uniqueSessions},
              {"uniqueRecipients", figures.uniqueRecipients}};
    if (figures.lastViewedAt) json["lastViewedAt"] = *figures.lastViewedAt;
    json["blocksDwellTotalMs"] = figures.blocksDwellTotalMs;
    json["bounceRate"] = figures.bounceRate;
    json["sharedCount"] = figures.sharedCount;
    return json;
}

}  // namespace

void addProposalRoutes(RouteTable& routes, const ServiceDatabase& database, const MailOutbox& outbox) {
    routes.get(kProposals, Access::member, [&](RequestContext& context) {
        Json templates = Json::array();
        for (const ProposalTemplate& summary : proposalTemplates(database, context.caller())) {
            Json item{{"id", summary.id}, {"name", summary.name}};
            if (summary.description) item["description"] = *summary.description;
            templates.push_back(std::move(item));
        }
        return Reply::json(Json{{"templates", std::move(templates)}});
    });
    routes.add(HttpMethod::post, kProposals, Access::member, BodyRule::json(), [&](RequestContext& context) {
        const Json& body = context.body();
        const NewProposal request{requiredText(body, "title"), requiredText(body, "contactId"),
                                  requiredText(body, "fromTemplateId")};
        return Reply::json(Json{{"id", createProposal(database, context.caller(), request, context.now())}});
    });
    routes.add(HttpMethod::patch, kProposals + "/{id}", Access::member, BodyRule::json(),
               [&](RequestContext& context) {
                   applyProposalAction(database, context.caller(), context.parameter("id"),
                                       requiredText(context.body(), "action"), context.now());
                   return Reply::json(Json{{"ok", true}});
               });
    routes.add(HttpMethod::del, kProposals + "/{id}", Access::member, BodyRule::none(),
               [&](RequestContext& context) {
                   deleteProposal(database, context.caller(), context.parameter("id"), context.now());
                   return Reply::json(Json{{"ok", true}});
               });
    routes.get(kProposals + "/{id}/timeline", Access::member, [&](RequestContext& context) {
        return Reply::json(
            timelineJson(proposalTimeline(database, context.caller(), context.parameter("id"))));
    });
    routes.get(kProposals + "/{id}/stats", Access::member, [&](RequestContext& context) {
        return Reply::json(statsJson(proposalStats(database, context.caller(), context.parameter("id"))));
    });
    routes.add(HttpMethod::post, kProposals + "/{id}/remind", Access::member, BodyRule::json(),
               [&](RequestContext& context) {
                   const RemindOutcome outcome =
                       remindProposal(database, outbox, context.caller(), context.parameter("id"),
                                      requiredText(context.body(), "type"), context.now());
                   return Reply::json(
                       Json{{"sent", outcome.sent}, {"total", outcome.total}, {"failed", outcome.failed}});
               });
    routes.add(HttpMethod::post, kProposals + "/{id}/resend-invite", Access::member, BodyRule::json(),
               [&](RequestContext& context) {
                   resendProposalInvite(database, outbox, context.caller(), context.parameter("id"),
                                        requiredText(context.body(), "recipientId"), context.now());
                   return Reply::json(Json{{"ok", true}});
               });
    routes.add(HttpMethod::post, kProposals + "/{id}/send", Access::member, BodyRule::none(),
               [&](RequestContext& context) {
                   return Reply::json(Json{{"status", sendProposal(database, outbox, context.caller(),
                                                                   context.parameter("id"), context.now())}});
               });
}

}  // namespace zelvorin::service
