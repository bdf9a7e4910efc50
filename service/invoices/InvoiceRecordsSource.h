#pragma once

#include <optional>
#include <string>

#include "layout/InvoiceSource.h"
#include "service/store/Records.h"

namespace zelvorin {
class Connection;
}

namespace zelvorin::service {

// What an invoice of the organisation is printed from, read from the service's records: the
// invoice (not deleted), its lines by sort order, its customer, the organisation's settings and its
// template (the one it names, else the organisation's default for its kind). Nothing when there is
// no such invoice.
std::optional<InvoiceSource> invoiceSourceFromRecords(Connection& db, const std::string& organizationId,
                                                      const std::string& invoiceId);

}  // namespace zelvorin::service
