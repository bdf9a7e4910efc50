#include "service/invoices/ReceivedContentGuard.h"

#include "domain/SentInvoiceContent.h"
#include "service/invoices/InvoiceRecords.h"

namespace zelvorin::service {
namespace {

using Json = nlohmann::ordered_json;

bool isEditable(const Json& invoicePayload) {
    const auto status = invoicePayload.find("status");
    if (status == invoicePayload.end() || !status->is_string()) return false;
    return SentInvoiceContent::isEditable(status->get<std::string>());
}

// A pushed member that leaves the stored value as it is changes nothing the customer received.
bool changesReceivedMember(const Json& stored, const Json& members) {
    for (const auto& [key, value] : members.items()) {
        if (!SentInvoiceContent::isReceivedField(key)) continue;
        const auto current = stored.find(key);
        const bool absentNow = current == stored.end() || current->is_null();
        if (value.is_null() ? !absentNow : (absentNow || *current != value)) return true;
    }
    return false;
}

}  // namespace

std::optional<std::string> receivedContentRefusal(Connection& db, const std::string& organizationId,
                                                  const PushChange& change,
                                                  const std::optional<StoredRecord>& existing,
                                                  const Json* members) {
    const std::string refusal(SentInvoiceContent::kRefusal);
    if (change.entityType == SyncEntityType::draftInvoice) {
        if (!existing || existing->deleted || isEditable(existing->payload)) return std::nullopt;
        if (change.operation == SyncOperation::remove) return refusal;
        if (change.operation == SyncOperation::update && members &&
            changesReceivedMember(existing->payload, *members))
            return refusal;
        return std::nullopt;
    }
    if (change.entityType != SyncEntityType::invoiceLine) return std::nullopt;
    // A new line names its invoice; an existing one keeps the invoice it was made on.
    const std::string invoiceId =
        existing ? invoicerecords::text(existing->payload, "invoiceId").value_or("")
                 : (members ? invoicerecords::text(*members, "invoiceId").value_or("") : std::string());
    if (invoiceId.empty()) return std::nullopt;
    const std::optional<StoredRecord> invoice =
        records::find(db, organizationId, std::string(rawValue(SyncEntityType::draftInvoice)), invoiceId);
    if (!invoice || invoice->deleted || isEditable(invoice->payload)) return std::nullopt;
    return refusal;
}

}  // namespace zelvorin::service
