#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zelvorin {
class Connection;
}

namespace zelvorin::service {

// What the service needs to know of an invoice's customer, and of its organisation's terms, to
// make an invoice by itself (a schedule's, a self-billed one).
struct InvoiceParty {
    std::string customerName;
    std::optional<std::string> billingEmail;
    std::string vatTreatment = "nl_21";  // the customer's VAT rate override when it has one
    std::int64_t paymentTermDays = 30;   // the customer's own term, else the organisation's
};

// Read from the customer record and the organisation's settings; the defaults for an unknown
// customer.
InvoiceParty invoiceParty(Connection& db, const std::string& organizationId, const std::string& customerId);

}  // namespace zelvorin::service
