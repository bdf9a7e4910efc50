#pragma once

namespace zelvorin::service {

class MailOutbox;
class RouteTable;
class ServiceDatabase;

// Invoices:
//   GET  api/native/v1/invoices/{id}/preview-pdf  the invoice as a PDF (conditional: the entity tag
//                                                 is a digest of the bytes, so If-None-Match with it
//                                                 answers 304 without a body); a sent invoice's is
//                                                 the file that was sent
//   POST api/native/v1/invoices/{id}/send         SendBody: number, status, PDF, message (member)
//   POST api/native/v1/invoices/{id}/resend       SendBody: the kept PDF mailed again (member)
//   POST api/native/v1/invoices/{id}/payments     PaymentBody: partiallyPaid, then paid (member)
//   POST api/native/v1/invoices/{id}/mark-paid    {"paidAt"}: the open amount paid (member)
//   POST api/native/v1/invoices/{id}/reminders    level + SendBody: recorded and mailed (member)
//   POST api/native/v1/invoices/{id}/cancel       reason, confirmText (member)
//   POST api/native/v1/invoices/{id}/reopen       reason (admin)
//   POST api/native/v1/invoices/{id}/credit-note  creditAmountCents: a draft credit invoice (member)
//   GET  api/native/v1/invoices/{id}/timeline     what happened, oldest first (member)
//   GET  api/native/v1/email/gmail-aliases        no mail account is connected: empty (member)
void addInvoiceRoutes(RouteTable& routes, const ServiceDatabase& database, const MailOutbox& outbox);

}  // namespace zelvorin::service
