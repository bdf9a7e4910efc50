#pragma once

#include <optional>
#include <string>
#include <vector>

#include "persistence/generated/Records.h"

namespace zelvorin {

// The rows an invoice is printed from, read in one transaction: the invoice (not deleted), its
// live lines in sort order, its customer, the settings of its organisation and its template (the
// one it names, else the organisation's default template for its type).
struct InvoicePrintRecords {
    DraftInvoiceRecord invoice;
    std::vector<InvoiceLineRecord> lines;
    std::optional<CustomerRecord> customer;
    std::optional<OrgSettingsRecord> settings;
    std::optional<InvoiceTemplateRecord> invoiceTemplate;
};

// The kind of template an invoice is printed with: templates are made for invoices or for credit
// notes, and a regular invoice uses an invoice's.
std::string invoiceTemplateKind(const DraftInvoiceRecord& invoice);

}  // namespace zelvorin
