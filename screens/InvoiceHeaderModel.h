#pragma once

#include <string>

#include "domain/Clock.h"
#include "persistence/repositories/CustomerRepository.h"
#include "persistence/repositories/InvoiceRepository.h"
#include "screens/RecordEditor.h"

namespace zelvorin {

// The twelve header fields by their payload key, each checked as typed.
const RecordEditor<DraftInvoiceRecord>::Setters& invoiceHeaderSetters();

// The header of one invoice in the editor: the twelve fields a person may set, each checked as it
// is typed, written together by save(). Every field may be cleared except the issue date and the
// VAT treatment, and the switches take ja/nee.
class InvoiceHeaderModel {
public:
    InvoiceHeaderModel(InvoiceRepository& invoices, CustomerRepository& customers, const Clock& clock);

    // A new draft for a customer that exists; `typedIssueDate` empty means today. The editor then
    // holds it. Throws PersistenceError notFound for an unknown or deleted customer, InputError for
    // a date that does not parse; nothing is written then.
    DraftInvoiceRecord createDraft(const std::string& customerId, const std::string& typedIssueDate);
    // Throws PersistenceError notFound for an unknown or deleted invoice.
    void load(const std::string& invoiceId);
    void set(const std::string& field, const std::string& typed) { editor_.set(field, typed); }
    // Writes the changed fields; returns the stored invoice.
    DraftInvoiceRecord save();

    const DraftInvoiceRecord& invoice() const { return editor_.record(); }
    std::vector<std::string> fieldNames() const { return editor_.fieldNames(); }
    void setOnChange(std::function<void()> onChange) { editor_.setOnChange(std::move(onChange)); }

private:
    InvoiceRepository& invoices_;
    CustomerRepository& customers_;
    const Clock& clock_;
    RecordEditor<DraftInvoiceRecord> editor_;
};

}  // namespace zelvorin
