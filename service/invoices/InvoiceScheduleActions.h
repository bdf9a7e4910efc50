#pragma once

#include <mutex>
#include <string>

#include <nlohmann/json.hpp>

#include "domain/TimePoint.h"
#include "service/http/RequestContext.h"
#include "service/invoices/InvoiceSendActions.h"

namespace zelvorin::service {

class ServiceDatabase;

// Sending an invoice later. A schedule lives beside the draft until its time:
//   draft --schedule--> draft with scheduledSendAt --its time--> sent (as sendInvoice)
//                              |--cancel / a send by hand--> draft without it
// The draft stays editable meanwhile: what is sent is the invoice as it is at its time.

// POST schedule: checks the message as a send does (addresses, a draft with lines) and stores
// it for `scheduledAt` (internet date-time, after `now`), replacing an earlier schedule. The
// invoice's scheduledSendAt reaches the devices by pull. Answers NativeScheduleResponse
// (id, invoiceNumber?, scheduledSendAt, status).
nlohmann::ordered_json scheduleInvoiceSend(const ServiceDatabase& database, const Caller& caller,
                                           const std::string& invoiceId, const SendInvoiceRequest& request,
                                           const std::string& scheduledAt, TimePoint now);
// DELETE schedule: the invoice is not sent later after all. ServiceError(notFound) when nothing
// was scheduled.
nlohmann::ordered_json cancelScheduledSend(const ServiceDatabase& database, const Caller& caller,
                                           const std::string& invoiceId, TimePoint now);

// Sends what came due, earliest first, one at a time. A send that can no longer happen (the
// invoice was sent, cancelled or emptied meanwhile) drops its schedule with a timeline entry; one
// that failed for the moment (mail delivery) stays for the next run. Safe to call from several
// threads: runs do not overlap, and a send by hand in between is one number and one message,
// because both decide in the write transaction.
class ScheduledSendRunner {
public:
    ScheduledSendRunner(const ServiceDatabase& database, const MailOutbox& outbox)
        : database_(database), outbox_(outbox) {}
    // Returns how many invoices were sent.
    int runDue(TimePoint now);

private:
    const ServiceDatabase& database_;
    const MailOutbox& outbox_;
    std::mutex running_;
};

}  // namespace zelvorin::service
