#include "screens/LineEditorModel.h"

#include "persistence/PersistenceError.h"

namespace zelvorin {
namespace {

using R = InvoiceLineRecord;
using V = const std::string&;

}  // namespace

const RecordEditor<R>::Setters& invoiceLineSetters() {
    static const RecordEditor<R>::Setters setters{
        {"description", [](R& r, V v) { r.description = v; }},
        {"mode", [](R& r, V v) { r.lineMode = typedLineMode(v, "mode"); }},
        {"qty", [](R& r, V v) { r.quantityHundredths = typedHundredths(v, "qty"); }},
        {"price", [](R& r, V v) { r.unitPriceCents = typedAmountCents(v, "price"); }},
        {"amount", [](R& r, V v) { r.amountCents = typedAmountCents(v, "amount"); }},
        {"vat",
         [](R& r, V v) {
             r.vatTreatmentOverride = v.empty() ? std::nullopt : std::optional(typedVatTreatment(v, "vat"));
         }},
        {"sort", [](R& r, V v) { r.sortOrder = typedWholeNumber(v, "sort"); }},
    };
    return setters;
}

LineEditorModel::LineEditorModel(InvoiceRepository& invoices)
    : invoices_(invoices), editor_(invoiceLineSetters()) {}

DraftInvoiceRecord LineEditorModel::invoiceOf(const std::string& invoiceId) {
    std::optional<DraftInvoiceRecord> invoice = invoices_.invoice(invoiceId);
    if (!invoice) throw PersistenceError::notFound("Factuur '" + invoiceId + "'");
    return *invoice;
}

InvoiceLineRecord LineEditorModel::add(const TypedLine& typed) {
    InvoiceLineRecord line;
    line.invoiceId = typed.invoiceId;
    line.description = typed.description;
    line.lineMode = typedLineMode(typed.mode, "mode");
    if (!typed.quantity.empty()) line.quantityHundredths = typedHundredths(typed.quantity, "qty");
    line.unitPriceCents = optionalAmountCents(typed.price, "price");
    line.amountCents = optionalAmountCents(typed.amount, "amount");
    if (!typed.vat.empty()) line.vatTreatmentOverride = typedVatTreatment(typed.vat, "vat");
    const bool fixed = line.lineMode == "fixed";
    if (fixed && !line.amountCents)
        throw InputError(InputError::Kind::missingValue,
                         "Een regel met een vast bedrag heeft een bedrag nodig (amount).");
    if (!fixed && !line.unitPriceCents)
        throw InputError(InputError::Kind::missingValue,
                         "Deze regel heeft een prijs nodig (price, bijvoorbeeld 85,00).");
    if (!fixed && !line.quantityHundredths) line.quantityHundredths = 100;
    const DraftInvoiceRecord invoice = invoiceOf(line.invoiceId);
    line.sortOrder = invoices_.nextLineSortOrder(invoice.id);
    InvoiceLineRecord added = invoices_.addLine(line, invoice.vatTreatment);
    editor_.begin(added);
    return added;
}

void LineEditorModel::load(const std::string& lineId) {
    std::optional<InvoiceLineRecord> stored = invoices_.line(lineId);
    if (!stored) throw PersistenceError::notFound("Factuurregel '" + lineId + "'");
    editor_.begin(std::move(*stored));
}

InvoiceLineRecord LineEditorModel::save() {
    const DraftInvoiceRecord invoice = invoiceOf(editor_.record().invoiceId);
    InvoiceLineRecord saved = invoices_.updateLine(editor_.record(), invoice.vatTreatment);
    editor_.begin(saved);
    return saved;
}

void LineEditorModel::remove(const std::string& lineId) {
    InvoiceLineRecord line;
    line.id = lineId;
    invoices_.deleteLine(line);
}

}  // namespace zelvorin
