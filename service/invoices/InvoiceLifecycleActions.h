#pragma once

#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "domain/TimePoint.h"
#include "service/http/RequestContext.h"

namespace zelvorin::service {

class ServiceDatabase;

// The steps that end or undo an invoice's life, each one transaction with its timeline event; every
// refusal is a ServiceError with the editor's Dutch text and writes nothing.
//
//   cancel      a sent invoice (not a draft, not cancelled or credited, nothing paid) becomes
//               cancelled and keeps its number; the trimmed reason has at least 10 characters
//               and the trimmed confirmation is exactly "ANNULEER".
//   reopen      (the route admits admins only) an invoice that is no draft goes back to draft,
//               keeping its number, so that a correction can be sent again under it; the reason
//               has at least 10 characters.
//   creditNote  a new draft credit invoice of the same customer and VAT treatment that refers to
//               the original (creditedInvoiceId) with one line crediting `creditAmountCents`
//               (incl. VAT); it arrives on the devices by pull. At least one cent and at most what
//               the original still has uncredited; the original becomes credited once it is
//               credited in full.
// Each answers the NativeInvoiceActionResponse body (creditNote: of the new credit invoice).
nlohmann::ordered_json cancelInvoice(const ServiceDatabase& database, const Caller& caller,
                                     const std::string& invoiceId, const std::string& reason,
                                     const std::string& confirmText, TimePoint now);
nlohmann::ordered_json reopenInvoice(const ServiceDatabase& database, const Caller& caller,
                                     const std::string& invoiceId, const std::string& reason, TimePoint now);
nlohmann::ordered_json creditInvoice(const ServiceDatabase& database, const Caller& caller,
                                     const std::string& invoiceId, std::int64_t creditAmountCents,
                                     TimePoint now);

// GET timeline: {"events": [NativeTimelineEvent…]} oldest first, from what really happened.
nlohmann::ordered_json invoiceTimeline(const ServiceDatabase& database, const Caller& caller,
                                       const std::string& invoiceId);

}  // namespace zelvorin::service
