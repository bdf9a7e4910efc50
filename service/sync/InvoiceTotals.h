#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "domain/TimePoint.h"
#include "service/store/RecordWriter.h"

namespace zelvorin {
class Connection;
}

namespace zelvorin::service {

// The service keeps every invoice's subtotal, VAT and total in step with its live lines, as the
// device does: devices never send these figures.

// What a new invoice starts with when the device left it out: status "draft", totals 0.
void fillNewInvoiceDefaults(nlohmann::ordered_json& payload);

// Recomputes the invoice's totals from its lines and restates the invoice (same revision) when
// they changed, on the caller's write transaction. Nothing happens for an unknown or deleted invoice.
void restateInvoiceTotals(Connection& db, const std::string& organizationId, const std::string& invoiceId,
                          TimePoint now, const Actor& actor);

}  // namespace zelvorin::service
