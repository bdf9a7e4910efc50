#include "persistence/repositories/InvoicePrintRecords.h"

#include "persistence/RecordStatements.h"
#include "persistence/repositories/InvoiceRepository.h"

namespace zelvorin {
namespace {

std::optional<InvoiceTemplateRecord> templateOf(Connection& db, const DraftInvoiceRecord& invoice) {
    if (invoice.templateId) {
        if (auto named = recordById<InvoiceTemplateRecord>(db, *invoice.templateId)) return named;
    }
    return firstRecord<InvoiceTemplateRecord>(
        db,
        "SELECT * FROM invoice_template WHERE org_id = ? AND default_for = ?\n"
        "ORDER BY is_default_for_new DESC, name LIMIT 1",
        invoice.organizationId, invoiceTemplateKind(invoice));
}

}  // namespace

std::string invoiceTemplateKind(const DraftInvoiceRecord& invoice) {
    const std::string type = invoice.invoiceType.value_or("regular");
    return type == "regular" ? "invoice" : type;
}

std::optional<InvoicePrintRecords> InvoiceRepository::printRecords(const std::string& invoiceId) {
    return database_.writer->read([&](Connection& db) -> std::optional<InvoicePrintRecords> {
        auto invoice = recordById<DraftInvoiceRecord>(db, invoiceId);
        if (!invoice || invoice->deletedAt) return std::nullopt;
        InvoicePrintRecords records{*invoice, {}, std::nullopt, std::nullopt, std::nullopt};
        records.lines = selectRecords<InvoiceLineRecord>(
            db, "SELECT * FROM invoice_line WHERE invoice_id = ? AND deleted_at IS NULL ORDER BY sort_order",
            invoiceId);
        if (invoice->customerId) records.customer = recordById<CustomerRecord>(db, *invoice->customerId);
        records.settings = firstRecord<OrgSettingsRecord>(
            db, "SELECT * FROM org_settings WHERE organization_id = ? LIMIT 1", invoice->organizationId);
        records.invoiceTemplate = templateOf(db, *invoice);
        return records;
    });
}

}  // namespace zelvorin
