#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "domain/TimePoint.h"
#include "service/http/RequestContext.h"

namespace zelvorin::service {

class ServiceDatabase;

// One line of a self-billed invoice: what the document's total holds at one VAT treatment,
// before VAT.
struct BilledPortion {
    std::string vatTreatment;  // "nl_21", "nl_9" or "nl_0"
    std::int64_t exclCents = 0;
};

// Splits a document's total (VAT included) by the VAT it names: per rate the base that carries the
// VAT read (a cent of rounding goes to the largest base), and what the rates leave untaxed at 0 %.
// A document that names no VAT at all is taken to include 21 %. ServiceError(unprocessable, Dutch)
// for no positive total, a rate no Dutch invoice carries, or VAT larger than the total allows.
// `vatBreakdown` is the reading's list of {rate (percent), amount (euros)}.
std::vector<BilledPortion> reverseBillingPortions(std::int64_t totalCents, const Json& vatBreakdown);

// POST kvitra/<id>/reverse-billing: makes the draft invoice that bills what the document says was
// delivered (self-billing: the document comes from the customer), for the item's customer or else
// the customer whose name the document's sender carries, and links the item to it. The invoice id.
// notFound for an unknown or another organisation's item; conflict when the item already has a live
// invoice; unprocessable when no customer fits or the amounts do not (see above). Nothing is
// written then.
std::string createReverseBilling(const ServiceDatabase& database, const Caller& caller, const std::string& id,
                                 TimePoint now);

}  // namespace zelvorin::service
