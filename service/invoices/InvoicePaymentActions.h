#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "domain/TimePoint.h"
#include "service/http/RequestContext.h"

namespace zelvorin::service {

class ServiceDatabase;

struct PaymentRequest {
    std::int64_t amountCents = 0;
    std::optional<std::string> paymentDate;  // "yyyy-MM-dd"; today in Amsterdam when absent
    std::string method;                      // one of the payment methods of the payment sheet
    std::optional<std::string> notes;
};

// Payments of a sent invoice (sent, delivered, viewed, partiallyPaid, overdue), each in one
// transaction with the invoice's new status:
//   a payment of at least one cent and at most the open amount (total minus what was paid) is
//   recorded as an invoicePayment record; the invoice becomes partiallyPaid while something is
//   open, paid (with paidAt) once nothing is.
// mark-paid records the open amount as one bank transfer on the day of `paidAt`.
// A draft, a paid, cancelled or credited invoice is a 409; an amount below one cent or above the
// open amount, an unknown method or date a 422; nothing is written then. Answers the
// NativeInvoiceActionResponse body.
nlohmann::ordered_json addInvoicePayment(const ServiceDatabase& database, const Caller& caller,
                                         const std::string& invoiceId, const PaymentRequest& request,
                                         TimePoint now);
nlohmann::ordered_json markInvoicePaid(const ServiceDatabase& database, const Caller& caller,
                                       const std::string& invoiceId, const std::string& paidAt,
                                       TimePoint now);

}  // namespace zelvorin::service
