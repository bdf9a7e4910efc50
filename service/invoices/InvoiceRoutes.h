#pragma once

namespace zelvorin::service {

class RouteTable;
class ServiceDatabase;

// Invoices:
//   GET api/native/v1/invoices/{id}/preview-pdf   the invoice as a PDF (conditional: the entity tag
//                                                 is a digest of the bytes, so If-None-Match with it
//                                                 answers 304 without a body)
void addInvoiceRoutes(RouteTable& routes, const ServiceDatabase& database);

}  // namespace zelvorin::service
