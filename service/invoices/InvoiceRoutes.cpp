#include "service/invoices/InvoiceRoutes.h"

#include "service/http/ConditionalAnswer.h"
#include "service/http/Route.h"
#include "service/invoices/InvoicePreviewActions.h"

namespace zelvorin::service {

void addInvoiceRoutes(RouteTable& routes, const ServiceDatabase& database) {
    routes.get("api/native/v1/invoices/{id}/preview-pdf", Access::member, [&](RequestContext& context) {
        return conditionalReply(
            context, invoicePreviewPdf(database, context.caller(), context.parameter("id"), context.now()),
            "application/pdf");
    });
}

}  // namespace zelvorin::service
