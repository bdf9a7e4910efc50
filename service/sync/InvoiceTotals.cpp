#include "service/sync/InvoiceTotals.h"

#include <vector>

#include "domain/InvoiceTotals.h"
#include "service/store/Records.h"

namespace zelvorin::service {
namespace {

std::optional<std::int64_t> optionalInteger(const nlohmann::ordered_json& payload, const char* key) {
    const auto member = payload.find(key);
    if (member == payload.end() || !member->is_number_integer()) return std::nullopt;
    return member->get<std::int64_t>();
}

std::string text(const nlohmann::ordered_json& payload, const char* key) {
    const auto member = payload.find(key);
    return member != payload.end() && member->is_string() ? member->get<std::string>() : std::string();
}

}  // namespace

void fillNewInvoiceDefaults(nlohmann::ordered_json& payload) {
    if (!payload.contains("status")) payload["status"] = "draft";
    for (const char* total : {"subtotalCents", "vatCents", "totalCents"}) {
        if (!payload.contains(total)) payload[total] = 0;
    }
}

void restateInvoiceTotals(Connection& db, const std::string& organizationId, const std::string& invoiceId,
                          TimePoint now, const Actor& actor) {
    const std::optional<StoredRecord> invoice = records::find(db, organizationId, "draftInvoice", invoiceId);
    if (!invoice || invoice->deleted) return;
    std::vector<StoredInvoiceLine> lines;
    for (const StoredRecord& line : records::ofInvoice(db, organizationId, "invoiceLine", invoiceId)) {
        const std::string override = text(line.payload, "vatTreatmentOverride");
        lines.push_back({text(line.payload, "lineMode"), optionalInteger(line.payload, "quantityHundredths"),
                         optionalInteger(line.payload, "unitPriceCents"),
                         optionalInteger(line.payload, "amountCents"),
                         override.empty() ? std::nullopt : std::optional(override)});
    }
    const InvoiceTotals totals = invoiceTotalsFromStored(text(invoice->payload, "vatTreatment"), lines);
    nlohmann::ordered_json payload = invoice->payload;
    if (optionalInteger(payload, "subtotalCents") == totals.subtotalCents &&
        optionalInteger(payload, "vatCents") == totals.vatCents &&
        optionalInteger(payload, "totalCents") == totals.totalCents)
        return;
    payload["subtotalCents"] = totals.subtotalCents;
    payload["vatCents"] = totals.vatCents;
    payload["totalCents"] = totals.totalCents;
    writeRecord(db, RecordChange{organizationId, SyncEntityType::draftInvoice, invoiceId,
                                 RecordOperation::restate, std::move(payload), now, actor, std::nullopt});
}

}  // namespace zelvorin::service
