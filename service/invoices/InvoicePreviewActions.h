#pragma once

#include <string>

#include "domain/TimePoint.h"
#include "service/http/RequestContext.h"

namespace zelvorin::service {

class ServiceDatabase;

// The organisation's invoice as a PDF, laid out from the service's records by the same engine as
// on the devices. Throws ServiceError notFound for an invoice the organisation does not have,
// unprocessable when it cannot be laid out.
std::string invoicePreviewPdf(const ServiceDatabase& database, const Caller& caller,
                              const std::string& invoiceId, TimePoint now);

}  // namespace zelvorin::service
