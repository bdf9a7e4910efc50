#pragma once

#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "domain/TimePoint.h"
#include "service/http/RequestContext.h"
#include "service/invoices/MailOutbox.h"

namespace zelvorin::service {

class ServiceDatabase;

struct SendInvoiceRequest {
    std::string recipientEmail;
    std::string subject;
    std::string body;
    std::optional<std::string> fromEmail;
    std::vector<std::string> attachmentKeys;  // files uploaded before, by key
};

// SendBody: recipientEmail, subject, body, fromEmail?, attachmentKeys? (a list of upload keys).
// Throws ServiceError(badRequest) naming what is missing or mistyped.
SendInvoiceRequest sendRequestFromJson(const nlohmann::ordered_json& body);
nlohmann::ordered_json sendRequestJson(const SendInvoiceRequest& request);
// The recipient and a given sender must be addresses mail can go to; ServiceError(unprocessable).
void requireSendAddresses(const SendInvoiceRequest& request);

// Sending an invoice, in one transaction:
//   send    a draft (draft, readyForFinalize) with at least one line gets its definitive number
//           (InvoiceNumbering), status "sent" and its sending time; its PDF is drawn once and kept
//           byte for byte as a stored file (the invoice's "pdfPath"), and the message with the
//           PDF and the attachments is written to the outbox. A schedule of the invoice is taken
//           away in the same transaction. A second send is a 409.
//   resend  an invoice that was sent (not a draft, not cancelled) is mailed again with the PDF
//           that was kept; nothing about the invoice changes.
// Every refusal is a ServiceError with a Dutch text, and leaves no number taken, no record
// changed and no message in the outbox. Answers the NativeInvoiceActionResponse body.
nlohmann::ordered_json sendInvoice(const ServiceDatabase& database, const MailOutbox& outbox,
                                   const Caller& caller, const std::string& invoiceId,
                                   const SendInvoiceRequest& request, TimePoint now);
nlohmann::ordered_json resendInvoice(const ServiceDatabase& database, const MailOutbox& outbox,
                                     const Caller& caller, const std::string& invoiceId,
                                     const SendInvoiceRequest& request, TimePoint now);

// A reminder ("reminder_1", "reminder_2", "reminder_final") of a sent invoice that is still open:
// recorded as an invoiceReminder record and in the timeline, and mailed with the invoice's kept PDF;
// a final reminder's message names the statutory collection costs over the open amount. Answers
// the NativeReminderResponse body (id, level, reminderId).
nlohmann::ordered_json remindInvoice(const ServiceDatabase& database, const MailOutbox& outbox,
                                     const Caller& caller, const std::string& invoiceId,
                                     const std::string& level, const SendInvoiceRequest& request,
                                     TimePoint now);

// The answer of every invoice action: id, status, invoiceNumber?, sentAt?, paidAt?, totalCents.
nlohmann::ordered_json invoiceActionResponse(const nlohmann::ordered_json& invoicePayload);

}  // namespace zelvorin::service
