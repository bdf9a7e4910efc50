#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "domain/InvoiceStatus.h"
#include "domain/TimePoint.h"
#include "service/http/RequestContext.h"
#include "service/store/Records.h"

namespace zelvorin {
class Connection;
}

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

// Whether an invoice in `status` can take a payment: it was sent and is neither paid, cancelled
// nor credited.
bool acceptsPayment(InvoiceStatus status);

// The write half of a payment, for callers that checked the payment themselves (a bank
// statement's matching knows each invoice's open amount from one read of them all): on the
// caller's write transaction, the invoicePayment record of `request` (its paymentDate set), the
// timeline entry and the invoice's new status, partiallyPaid or, when `request.amountCents` is
// `openCents`, paid. Returns the invoice as written.
// `paymentId` names the payment record, so the caller can find it again; a new id when absent.
StoredRecord registerPayment(Connection& db, const Caller& caller, StoredRecord invoice,
                             std::int64_t openCents, const PaymentRequest& request, TimePoint now,
                             const std::optional<std::string>& paymentId = std::nullopt);

}  // namespace zelvorin::service
