#include "service/invoices/InvoiceExtraRoutes.h"

#include <httplib.h>

#include "service/http/Route.h"
#include "service/invoices/InvoiceAttachmentActions.h"
#include "service/invoices/InvoiceStatsActions.h"

namespace zelvorin::service {

void addInvoiceExtraRoutes(RouteTable& routes, const ServiceDatabase& database) {
    routes.add(HttpMethod::post, "api/native/v1/invoices/attachments", Access::member, BodyRule::multipart(),
               [&](RequestContext& context) {
                   std::vector<AttachmentUpload> files;
                   for (const auto& [name, part] : context.request().files)
                       if (!part.filename.empty())
                           files.push_back({part.filename, part.content_type, part.content});
                   return Reply::json(uploadAttachments(database, context.caller(), files, context.now()));
               });
    routes.get("api/native/v1/invoices/{id}/stats", Access::member, [&](RequestContext& context) {
        return Reply::json(invoiceStats(database, context.caller(), context.parameter("id")));
    });
}

}  // namespace zelvorin::service
