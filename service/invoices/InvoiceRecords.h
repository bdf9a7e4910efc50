#pragma once

#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "domain/TimePoint.h"
#include "service/http/RequestContext.h"
#include "service/store/RecordWriter.h"
#include "service/store/Records.h"

namespace zelvorin {
class Connection;
}

// What the invoice actions share about the records they read and write.
namespace zelvorin::service::invoicerecords {

// A text member of a payload; nothing when absent, null or not a text.
std::optional<std::string> text(const nlohmann::ordered_json& payload, const char* key);
std::int64_t integer(const nlohmann::ordered_json& payload, const char* key);

// The caller's live invoice; ServiceError(notFound) "Factuur niet gevonden." otherwise, also for
// another organisation's invoice.
StoredRecord requireInvoice(Connection& db, const Caller& caller, const std::string& invoiceId);

// Writes a record of the caller's organisation as a route's change (audit: the caller's user and device).
StoredRecord put(Connection& db, const Caller& caller, SyncEntityType type, const std::string& id,
                 nlohmann::ordered_json payload, TimePoint now);

// The sum of the invoice's recorded payments.
std::int64_t paidCents(Connection& db, const Caller& caller, const std::string& invoiceId);

// What the invoice's live credit notes credit (their totals, as a positive amount).
std::int64_t creditedCents(Connection& db, const Caller& caller, const std::string& invoiceId);
// What is still to be paid: the total minus the payments and the credit notes.
std::int64_t openCents(Connection& db, const Caller& caller, const std::string& invoiceId,
                       const nlohmann::ordered_json& invoice);

// Records what happened to the invoice for its timeline, stamped `now`.
void addEvent(Connection& db, const Caller& caller, const std::string& invoiceId, const std::string& kind,
              const std::string& description, std::optional<std::string> detail, TimePoint now,
              std::optional<std::string> reminderLevel = std::nullopt,
              std::optional<std::string> reminderRecipient = std::nullopt);

}  // namespace zelvorin::service::invoicerecords
