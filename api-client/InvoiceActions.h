#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "api-client/SyncAPIClient.h"

// The invoice family of the endpoint catalogue: what only the service can do to an invoice. Every
// call is authorised with the "action" mapping: 409 and 422 are APIError::Conflict with the
// service's Dutch text, 403 Forbidden, 404 NotFound; a body without the expected members is
// InvalidResponse.
namespace zelvorin::invoiceactions {

// SendBody of send and resend.
struct SendBody {
    std::string recipientEmail;
    std::string subject;
    std::string body;
    std::optional<std::string> fromEmail;                    // left out when absent
    std::optional<std::vector<std::string>> attachmentKeys;  // upload keys; left out when absent
    nlohmann::ordered_json toJson() const;
};

// PaymentBody of payments.
struct PaymentBody {
    std::int64_t amountCents = 0;
    std::optional<std::string> paymentDate;  // "yyyy-MM-dd"; left out when absent
    std::string method;                      // "bank_transfer", "cash", "ideal", ...
    std::optional<std::string> notes;        // left out when absent
    nlohmann::ordered_json toJson() const;
};

struct NativeInvoiceActionResponse {
    std::string id;
    std::string status;
    std::optional<std::string> invoiceNumber;
    std::optional<std::string> sentAt;
    std::optional<std::string> paidAt;
    std::int64_t totalCents = 0;
    static NativeInvoiceActionResponse fromJson(const nlohmann::json& body);
    bool operator==(const NativeInvoiceActionResponse&) const = default;
};

// POST api/native/v1/invoices/<id>/send and /resend.
NativeInvoiceActionResponse send(SyncAPIClient& client, const std::string& invoiceId, const SendBody& body);
NativeInvoiceActionResponse resend(SyncAPIClient& client, const std::string& invoiceId, const SendBody& body);
// POST api/native/v1/invoices/<id>/payments.
NativeInvoiceActionResponse addPayment(SyncAPIClient& client, const std::string& invoiceId,
                                       const PaymentBody& body);
// POST api/native/v1/invoices/<id>/mark-paid {"paidAt"}.
NativeInvoiceActionResponse markPaid(SyncAPIClient& client, const std::string& invoiceId,
                                     const std::string& paidAt);

}  // namespace zelvorin::invoiceactions
