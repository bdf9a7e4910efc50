#pragma once

#include <string>

#include "domain/TimePoint.h"
#include "layout/InvoiceSource.h"
#include "service/http/RequestContext.h"

namespace zelvorin {
class Connection;
}

namespace zelvorin::service {

class ServiceDatabase;

// The organisation's invoice as a PDF: for a sent invoice the file that was sent, byte for byte;
// otherwise laid out from the service's records by the same engine as on the devices. Throws
// ServiceError notFound for an invoice the organisation does not have, unprocessable when it
// cannot be laid out.
std::string invoicePreviewPdf(const ServiceDatabase& database, const Caller& caller,
                              const std::string& invoiceId, TimePoint now);
// The same on the caller's transaction.
std::string invoicePdf(Connection& db, const Caller& caller, const std::string& invoiceId, TimePoint now);

// Draws the organisation's invoice in the organisation's own fonts; ServiceError(unprocessable)
// when it cannot be laid out.
std::string renderInvoicePdf(Connection& db, const std::string& organizationId, const InvoiceSource& source,
                             TimePoint now);

}  // namespace zelvorin::service
