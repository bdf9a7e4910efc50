#include "service/store/InvoiceEvents.h"

#include "persistence/sqlite/Connection.h"

namespace zelvorin::service::invoiceevents {
void add(Connection& db, const std::string& organizationId, const InvoiceEvent& event) {
    db.cached(
          "INSERT INTO invoice_event (organization_id, id, invoice_id, kind, occurred_at, description, "
          "detail, "
          "reminder_level, reminder_recipient) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)")
        .bindAll(organizationId, event.id, event.invoiceId, event.kind, event.occurredAt, event.description,
                 event.detail, event.reminderLevel, event.reminderRecipient)
        .run();
}

std::vector<InvoiceEvent> ofInvoice(Connection& db, const std::string& organizationId,
                                    const std::string& invoiceId) {
    Statement& rows = db.cached(
        "SELECT id, kind, occurred_at, description, detail, reminder_level, reminder_recipient FROM "
        "invoice_event "
        "WHERE organization_id = ? AND invoice_id = ? ORDER BY occurred_at, rowid");
    rows.bindAll(organizationId, invoiceId);
    std::vector<InvoiceEvent> events;
    while (rows.step())
        events.push_back({rows.text(0), invoiceId, rows.text(1), rows.text(2), rows.text(3),
                          rows.optionalText(4), rows.optionalText(5), rows.optionalText(6)});
    return events;
}

}  // namespace zelvorin::service::invoiceevents
