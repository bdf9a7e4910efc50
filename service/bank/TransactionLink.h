#pragma once

#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "domain/TimePoint.h"
#include "service/http/RequestContext.h"
#include "service/store/Records.h"

namespace zelvorin {
class Connection;
}

namespace zelvorin::service {

// The payment a linked transaction registered carries an id made from the transaction's, so that
// undoing the link finds exactly that payment.
std::string bankPaymentId(const std::string& transactionId);

// Links the incoming bank transaction `transaction` (its payload, written by the caller afterwards)
// to `invoice`, on which `openCents` is open: its amount is registered as the invoice's payment by
// bank transfer on the transaction's date (partiallyPaid, or paid when it covers what is open), and
// the payload gets matchedInvoiceId, matchConfidence and matchedAt. Returns the invoice as written.
StoredRecord linkTransaction(Connection& db, const Caller& caller, nlohmann::ordered_json& transaction,
                             StoredRecord invoice, std::int64_t openCents, const std::string& confidence,
                             TimePoint now);

}  // namespace zelvorin::service
