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

struct NativeReminderResponse {
    std::string id;
    std::string level;
    std::string reminderId;
    static NativeReminderResponse fromJson(const nlohmann::json& body);
    bool operator==(const NativeReminderResponse&) const = default;
};

struct NativeScheduleResponse {
    std::string id;
    std::optional<std::string> invoiceNumber;
    std::optional<std::string> scheduledSendAt;
    std::string status;
    static NativeScheduleResponse fromJson(const nlohmann::json& body);
    bool operator==(const NativeScheduleResponse&) const = default;
};

struct NativeTimelineEvent {
    std::string id;
    std::string kind;
    std::string occurredAt;
    std::string description;
    std::optional<std::string> detail;
    std::optional<std::string> reminderLevel;
    std::optional<std::string> reminderRecipient;
    bool operator==(const NativeTimelineEvent&) const = default;
};

struct NativeTimelineResponse {
    std::vector<NativeTimelineEvent> events;
    static NativeTimelineResponse fromJson(const nlohmann::json& body);
};

// POST api/native/v1/invoices/<id>/send and /resend.
NativeInvoiceActionResponse send(SyncAPIClient& client, const std::string& invoiceId, const SendBody& body);
NativeInvoiceActionResponse resend(SyncAPIClient& client, const std::string& invoiceId, const SendBody& body);
// POST api/native/v1/invoices/<id>/schedule: the SendBody and scheduledAt (internet date-time).
NativeScheduleResponse schedule(SyncAPIClient& client, const std::string& invoiceId, const SendBody& body,
                                const std::string& scheduledAt);
// DELETE api/native/v1/invoices/<id>/schedule: not sent later after all.
NativeScheduleResponse cancelSchedule(SyncAPIClient& client, const std::string& invoiceId);
// POST api/native/v1/invoices/<id>/payments.
NativeInvoiceActionResponse addPayment(SyncAPIClient& client, const std::string& invoiceId,
                                       const PaymentBody& body);
// POST api/native/v1/invoices/<id>/mark-paid {"paidAt"}.
NativeInvoiceActionResponse markPaid(SyncAPIClient& client, const std::string& invoiceId,
                                     const std::string& paidAt);

// POST api/native/v1/invoices/<id>/reminders: level ("reminder_1", "reminder_2",
// "reminder_final"), recipientEmail, subject, body, fromEmail.
NativeReminderResponse remind(SyncAPIClient& client, const std::string& invoiceId, const std::string& level,
                              const SendBody& body);
// POST api/native/v1/invoices/<id>/credit-note {"creditAmountCents"}: the new credit invoice.
NativeInvoiceActionResponse creditNote(SyncAPIClient& client, const std::string& invoiceId,
                                       std::int64_t creditAmountCents);
// POST api/native/v1/invoices/<id>/cancel {"reason", "confirmText"} and /reopen {"reason"}.
NativeInvoiceActionResponse cancel(SyncAPIClient& client, const std::string& invoiceId,
                                   const std::string& reason, const std::string& confirmText);
NativeInvoiceActionResponse reopen(SyncAPIClient& client, const std::string& invoiceId,
                                   const std::string& reason);
// GET api/native/v1/invoices/<id>/timeline ("fetch" mapping).
NativeTimelineResponse timeline(SyncAPIClient& client, const std::string& invoiceId);

}  // namespace zelvorin::invoiceactions
