#pragma once

namespace zelvorin::service {

class MailOutbox;
class RouteTable;
class ServiceDatabase;

// Proposals (the records reach devices by pull):
//   GET    api/native/v1/proposals                       -> {templates: [ProposalTemplateSummary]}
//   POST   api/native/v1/proposals                       {title, contactId, fromTemplateId} -> {id}
//   PATCH  api/native/v1/proposals/{id}                  {action}
//   DELETE api/native/v1/proposals/{id}
//   GET    api/native/v1/proposals/{id}/timeline         -> [ProposalTimelineItem]
//   GET    api/native/v1/proposals/{id}/stats            -> ProposalStats
//   POST   api/native/v1/proposals/{id}/remind           {type} -> {sent, total, failed}
//   POST   api/native/v1/proposals/{id}/resend-invite    {recipientId}
//   POST   api/native/v1/proposals/{id}/send             -> {status}
void addProposalRoutes(RouteTable& routes, const ServiceDatabase& database, const MailOutbox& outbox);

}  // namespace zelvorin::service
