#include "app/InvoiceSourceReader.h"

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

}  // namespace

InvoiceSource invoiceSource(const InvoicePrintRecords& records) {
    const DraftInvoiceRecord& invoice = records.invoice;
    InvoiceSource source;
    source.id = invoice.id;
    source.invoiceNumber = invoice.invoiceNumber;
    source.localDraftNumber = invoice.localDraftNumber;
    source.issueDate = invoice.issueDate;
    source.dueDate = invoice.dueDate;
    source.referenceNumber = invoice.referenceNumber;
    source.projectDescription = invoice.projectDescription;
    source.freeText = invoice.freeText;
    source.invoiceType = invoice.invoiceType;
    source.vatTreatment = invoice.vatTreatment;
    source.paymentTermsOverride = invoice.paymentTermsOverride;
    source.snapshotData = invoice.snapshotData;
    for (const InvoiceLineRecord& line : records.lines)
        source.lines.push_back(sourceLine(line));
    if (records.customer) source.customer = sourceCustomer(*records.customer);
    if (records.settings) source.organisation = sourceOrganisation(*records.settings);
    if (records.invoiceTemplate) source.templateConfig = records.invoiceTemplate->config;
    return source;
}

std::optional<InvoiceSource> readInvoiceSource(InvoiceRepository& invoices, const std::string& invoiceId) {
    std::optional<InvoicePrintRecords> records = invoices.printRecords(invoiceId);
    if (!records) return std::nullopt;
    return invoiceSource(*records);
}

}  // namespace zelvorin
