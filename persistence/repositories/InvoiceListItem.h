#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "persistence/sqlite/Statement.h"

namespace zelvorin {

// One row of an invoice list: the invoice's own columns and its customer's name.
struct InvoiceListItem {
    std::string id;
    std::optional<std::string> invoiceNumber;
    std::optional<std::string> localDraftNumber;
    std::string status;
    std::string issueDate;
    std::optional<std::string> dueDate;
    std::int64_t totalCents = 0;
    std::string syncState;
    std::optional<std::string> customerName;

    bool operator==(const InvoiceListItem&) const = default;

    // Decodes a row of a statement that starts with kInvoiceListSelect.
    static InvoiceListItem fromRow(const Statement& row) {
        return InvoiceListItem{row.text("id"),
                               row.optionalText("invoice_number"),
                               row.optionalText("local_draft_number"),
                               row.text("status"),
                               row.text("issue_date"),
                               row.optionalText("due_date"),
                               row.int64("total_cents"),
                               row.text("sync_state"),
                               row.optionalText("customer_name")};
    }
};

// The columns of every invoice list, the invoice joined with its customer.
inline constexpr const char* kInvoiceListSelect =
    "SELECT i.id, i.invoice_number, i.local_draft_number, i.status,\n"
    "       i.issue_date, i.due_date, i.total_cents, i.sync_state,\n"
    "       c.company_name AS customer_name\n"
    "FROM draft_invoice i\n"
    "LEFT JOIN customer c ON c.id = i.customer_id\n";

}  // namespace zelvorin
