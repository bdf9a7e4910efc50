#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "service/http/RequestContext.h"

namespace zelvorin::service {

class ServiceDatabase;

// The InvoiceStats of the caller's invoice, from what really happened to it:
//   mail     every message the service wrote for it (send, resend, reminders) counts as delivered;
//            a bounce the invoice records counts as bounced. This service reads no mailbox and
//            tracks no opens or clicks, so those are 0 and mailTrackingAvailable is false.
//   views    the "viewed" events of its timeline, one session each, by day; this service has no
//            customer portal, so they stay empty until something records a view. Devices are not
//            known, so the breakdown stays 0.
//   payment  its status, what its payments add up to, what is still open (never below 0), the
//            method of the latest payment, and every payment.
// Another organisation's invoice is notFound.
nlohmann::ordered_json invoiceStats(const ServiceDatabase& database, const Caller& caller,
                                    const std::string& invoiceId);

}  // namespace zelvorin::service
