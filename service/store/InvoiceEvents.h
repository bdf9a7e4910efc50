#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zelvorin {
class Connection;
}

namespace zelvorin::service {

// One thing that happened to an invoice, as its timeline shows it (NativeTimelineEvent).
struct InvoiceEvent {
    std::string id;
    std::string invoiceId;
    std::string kind;  // "sent", "resent", "payment", "reminder", "creditNote", "cancelled", "reopened"
    std::string occurredAt;
    std::string description;  // Dutch, for the timeline
    std::optional<std::string> detail;
    std::optional<std::string> reminderLevel;
    std::optional<std::string> reminderRecipient;
};

namespace invoiceevents {

void add(Connection& db, const std::string& organizationId, const InvoiceEvent& event);
// Oldest first.
std::vector<InvoiceEvent> ofInvoice(Connection& db, const std::string& organizationId,
                                    const std::string& invoiceId);

}  // namespace invoiceevents
}  // namespace zelvorin::service
