#include "screens/InvoiceHeaderModel.h"

#include "domain/Timestamps.h"
#include "persistence/PersistenceError.h"

namespace zelvorin {
namespace {

using R = DraftInvoiceRecord;
using V = const std::string&;

}  // namespace

const RecordEditor<R>::Setters& invoiceHeaderSetters() {
    static const RecordEditor<R>::Setters setters{
        {"customerId", [](R& r, V v) { r.customerId = optionalText(v); }},
        {"issueDate", [](R& r, V v) { r.issueDate = typedDate(v, "issueDate"); }},
        {"dueDate", [](R& r, V v) { r.dueDate = optionalDate(v, "dueDate"); }},
        {"referenceNumber", [](R& r, V v) { r.referenceNumber = optionalText(v); }},
        {"projectDescription", [](R& r, V v) { r.projectDescription = optionalText(v); }},
        {"vatTreatment", [](R& r, V v) { r.vatTreatment = typedVatTreatment(v, "vatTreatment"); }},
        {"invoiceEmail", [](R& r, V v) { r.invoiceEmail = optionalText(v); }},
        {"idealEnabled", [](R& r, V v) { r.idealEnabled = typedYesNo(v, "idealEnabled"); }},
        {"portalLinkEnabled", [](R& r, V v) { r.portalLinkEnabled = typedYesNo(v, "portalLinkEnabled"); }},
        {"internalNote", [](R& r, V v) { r.internalNote = optionalText(v); }},
        {"paymentTermsOverride",
         [](R& r, V v) { r.paymentTermsOverride = optionalWholeNumber(v, "paymentTermsOverride"); }},
        {"freeText", [](R& r, V v) { r.freeText = optionalText(v); }},
    };
    return setters;
}

InvoiceHeaderModel::InvoiceHeaderModel(InvoiceRepository& invoices, CustomerRepository& customers,
                                       const Clock& clock)
    : invoices_(invoices), customers_(customers), clock_(clock), editor_(invoiceHeaderSetters()) {}

DraftInvoiceRecord InvoiceHeaderModel::createDraft(const std::string& customerId,
                                                   const std::string& typedIssueDate) {
    const std::string issueDate = typedIssueDate.empty() ? formatTimestampMillis(clock_.now()).substr(0, 10)
                                                         : typedDate(typedIssueDate, "issueDate");
    const std::optional<CustomerRecord> customer = customers_.customer(customerId);
    if (!customer || customer->deletedAt) throw PersistenceError::notFound("Klant '" + customerId + "'");
    DraftInvoiceRecord draft = invoices_.createDraft(customerId, issueDate);
    editor_.begin(draft);
    return draft;
}

void InvoiceHeaderModel::load(const std::string& invoiceId) {
    std::optional<DraftInvoiceRecord> stored = invoices_.invoice(invoiceId);
    if (!stored) throw PersistenceError::notFound("Factuur '" + invoiceId + "'");
    editor_.begin(std::move(*stored));
}

DraftInvoiceRecord InvoiceHeaderModel::save() {
    DraftInvoiceRecord saved = invoices_.updateHeader(editor_.record(), editor_.changedFields());
    editor_.begin(saved);
    return saved;
}

}  // namespace zelvorin
