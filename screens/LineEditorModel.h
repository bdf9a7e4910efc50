#pragma once

#include <string>

#include "persistence/repositories/InvoiceRepository.h"
#include "screens/RecordEditor.h"

namespace zelvorin {

// The fields of a line as the line editor names them (description, mode, qty, price, amount, vat,
// sort), each checked as typed.
const RecordEditor<InvoiceLineRecord>::Setters& invoiceLineSetters();

// Adding, editing and removing the lines of an invoice. A line is priced one of three ways
// (LineMode): hours × rate and quantity × price need a price and count one when no quantity is
// given; a fixed line needs its amount. A new line goes after the invoice's other lines.
class LineEditorModel {
public:
    // A line as typed: texts, empty where nothing was typed.
    struct TypedLine {
        std::string invoiceId;
        std::string description;
        std::string mode;
        std::string quantity;
        std::string price;
        std::string amount;
        std::string vat;  // empty: the invoice's treatment
    };

    explicit LineEditorModel(InvoiceRepository& invoices);

    // Throws InputError for a value that does not parse or a price or amount the mode needs, and
    // PersistenceError notFound for a missing invoice; nothing is written then.
    InvoiceLineRecord add(const TypedLine& typed);
    // Throws PersistenceError notFound for an unknown or deleted line.
    void load(const std::string& lineId);
    void set(const std::string& field, const std::string& typed) { editor_.set(field, typed); }
    InvoiceLineRecord save();
    // Throws PersistenceError notFound for an unknown or deleted line.
    void remove(const std::string& lineId);

    const InvoiceLineRecord& line() const { return editor_.record(); }
    std::vector<std::string> fieldNames() const { return editor_.fieldNames(); }
    void setOnChange(std::function<void()> onChange) { editor_.setOnChange(std::move(onChange)); }

private:
    DraftInvoiceRecord invoiceOf(const std::string& invoiceId);

    InvoiceRepository& invoices_;
    RecordEditor<InvoiceLineRecord> editor_;
};

}  // namespace zelvorin
