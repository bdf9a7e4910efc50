#include "service/invoices/InvoiceRecords.h"

#include "domain/Timestamps.h"
#include "domain/Uuid.h"
#include "service/http/ServiceError.h"
#include "service/store/InvoiceEvents.h"

namespace zelvorin::service::invoicerecords {

using Json = nlohmann::ordered_json;

std::optional<std::string> text(const Json& payload, const char* key) {
    const auto member = payload.find(key);
    if (member == payload.end() || !member->is_string()) return std::nullopt;
    return member->get<std::string>();
}

std::int64_t integer(const Json& payload, const char* key) {
    const auto member = payload.find(key);
    return member != payload.end() && member->is_number_integer() ? member->get<std::int64_t>() : 0;
}

StoredRecord requireInvoice(Connection& db, const Caller& caller, const std::string& invoiceId) {
    std::optional<StoredRecord> invoice = records::find(db, caller.organizationId, "draftInvoice", invoiceId);
    if (!invoice || invoice->deleted) throw ServiceError(ErrorKind::notFound, "Factuur niet gevonden.");
    return *invoice;
}

StoredRecord put(Connection& db, const Caller& caller, SyncEntityType type, const std::string& id,
                 Json payload, TimePoint now) {
    return writeRecord(db, {caller.organizationId, type, id, RecordOperation::put, std::move(payload), now,
                            Actor{ChangeSource::route, caller.userId, caller.deviceId}, std::nullopt});
}

std::int64_t paidCents(Connection& db, const Caller& caller, const std::string& invoiceId) {
    std::int64_t paid = 0;
    for (const StoredRecord& payment :
         records::ofInvoice(db, caller.organizationId, "invoicePayment", invoiceId))
        paid += integer(payment.payload, "amountCents");
    return paid;
}

std::int64_t creditedCents(Connection& db, const Caller& caller, const std::string& invoiceId) {
    std::int64_t credited = 0;
    for (const StoredRecord& note :
         records::withMember(db, caller.organizationId, "draftInvoice", "creditedInvoiceId", invoiceId))
        credited -= integer(note.payload, "totalCents");
    return credited;
}

std::int64_t openCents(Connection& db, const Caller& caller, const std::string& invoiceId,
                       const Json& invoice) {
    return integer(invoice, "totalCents") - paidCents(db, caller, invoiceId) -
           creditedCents(db, caller, invoiceId);
}

void addEvent(Connection& db, const Caller& caller, const std::string& invoiceId, const std::string& kind,
              const std::string& description, std::optional<std::string> detail, TimePoint now,
              std::optional<std::string> reminderLevel, std::optional<std::string> reminderRecipient) {
    invoiceevents::add(db, caller.organizationId,
                       {randomUuid(), invoiceId, kind, formatTimestampMillis(now), description,
                        std::move(detail), std::move(reminderLevel), std::move(reminderRecipient)});
}

}  // namespace zelvorin::service::invoicerecords
