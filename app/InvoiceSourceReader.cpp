#include "app/InvoiceSourceReader.h"

#include "persistence/RecordStatements.h"

namespace zelvorin {
namespace {

InvoiceSourceLine sourceLine(const InvoiceLineRecord& line) {
    return {line.id,          line.sortOrder,           line.description,
            line.lineMode,    line.quantityHundredths,  line.unitPriceCents,
            line.amountCents, line.vatTreatmentOverride};
}

InvoiceSourceCustomer sourceCustomer(const CustomerRecord& c) {
    return {c.companyName, c.street, c.houseNumber, c.postcode, c.city, c.country, c.vatNumber};
}

InvoiceSourceOrganisation sourceOrganisation(const OrgSettingsRecord& s) {
    InvoiceSourceOrganisation org;
    org.orgName = s.orgName;
    org.vatNumber = s.vatNumber;
    org.kvkNumber = s.kvkNumber;
    org.addressStreet = s.addressStreet;
    org.addressCity = s.addressCity;
    org.addressPostal = s.addressPostal;
    org.orgPhone = s.orgPhone;
    org.orgEmail = s.orgEmail;
    org.iban = s.iban;
    org.bic = s.bic;
    org.footerText = s.footerText;
    org.verlegdNote = s.verlegdNote;
    org.defaultLanguage = s.defaultLanguage;
    org.dateFormat = s.dateFormat;
    org.currency = s.currency;
    org.numberFormat = s.numberFormat;
    org.paymentTermsDays = s.paymentTermsDays;
    return org;
}

// Templates are made for invoices or for credit notes; a regular invoice uses an invoice's.
std::string templateKind(const DraftInvoiceRecord& invoice) {
    const std::string type = invoice.invoiceType.value_or("regular");
    return type == "regular" ? "invoice" : type;
}

std::optional<InvoiceTemplateRecord> templateOf(Connection& db, const DraftInvoiceRecord& invoice) {
    if (invoice.templateId) {
        if (auto named = recordById<InvoiceTemplateRecord>(db, *invoice.templateId)) return named;
    }
    auto defaults = selectRecords<InvoiceTemplateRecord>(
        db,
        "SELECT * FROM invoice_template WHERE org_id = ? AND default_for = ?\n"
        "ORDER BY is_default_for_new DESC, name LIMIT 1",
        invoice.organizationId, templateKind(invoice));
    if (defaults.empty()) return std::nullopt;
    return defaults.front();
}

}  // namespace

std::optional<InvoiceSource> readInvoiceSource(AppDatabase& database, const std::string& invoiceId) {
    return database.writer->read([&](Connection& db) -> std::optional<InvoiceSource> {
        auto invoice = recordById<DraftInvoiceRecord>(db, invoiceId);
        if (!invoice || invoice->deletedAt) return std::nullopt;
        InvoiceSource source;
        source.id = invoice->id;
        source.invoiceNumber = invoice->invoiceNumber;
        source.localDraftNumber = invoice->localDraftNumber;
        source.issueDate = invoice->issueDate;
        source.dueDate = invoice->dueDate;
        source.referenceNumber = invoice->referenceNumber;
        source.projectDescription = invoice->projectDescription;
        source.freeText = invoice->freeText;
        source.invoiceType = invoice->invoiceType;
        source.vatTreatment = invoice->vatTreatment;
        source.paymentTermsOverride = invoice->paymentTermsOverride;
        source.snapshotData = invoice->snapshotData;
        for (const auto& line : selectRecords<InvoiceLineRecord>(
                 db,
                 "SELECT * FROM invoice_line WHERE invoice_id = ? AND deleted_at IS NULL ORDER BY sort_order",
                 invoiceId))
            source.lines.push_back(sourceLine(line));
        if (invoice->customerId) {
            if (auto customer = recordById<CustomerRecord>(db, *invoice->customerId))
                source.customer = sourceCustomer(*customer);
        }
        auto settings = selectRecords<OrgSettingsRecord>(
            db, "SELECT * FROM org_settings WHERE organization_id = ? LIMIT 1", invoice->organizationId);
        if (!settings.empty()) source.organisation = sourceOrganisation(settings.front());
        if (auto chosen = templateOf(db, *invoice)) source.templateConfig = chosen->config;
        return source;
    });
}

}  // namespace zelvorin
