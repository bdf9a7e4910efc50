#pragma once

namespace zelvorin::service {

class RouteTable;
class ServiceDatabase;

// Beside the invoice actions (member routes):
//   POST api/native/v1/invoices/attachments  multipart: every file part is kept for a send to
//                                            name (InvoiceAttachmentActions)
//   GET  api/native/v1/invoices/{id}/stats   InvoiceStats from what happened to the invoice
void addInvoiceExtraRoutes(RouteTable& routes, const ServiceDatabase& database);

}  // namespace zelvorin::service
