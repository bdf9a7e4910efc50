#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "service/http/RequestContext.h"

namespace zelvorin {
class Connection;
}

// What the dashboard's summary and briefing read from an organisation's records, gathered once.
namespace zelvorin::service::dashboard {

struct InvoiceFact {
    std::string id;
    std::optional<std::string> number;
    std::string status;
    std::string customerName;
    std::string issueDate;
    std::string dueDate;
    std::string updatedAt;
    std::int64_t subtotalCents = 0;
    std::int64_t totalCents = 0;
    std::int64_t openCents = 0;  // what is still to be paid, for a sent invoice; 0 otherwise
    bool revenue = false;        // a regular invoice that went out: counted as revenue, as on the device
};

struct TransactionFact {
    std::string id;
    std::string date;
    std::int64_t signedCents = 0;  // positive in, negative out
    bool matched = false;          // linked to an invoice or a document
    bool categorised = false;
    std::string counterpartyName;
};

struct InboxFact {
    std::string id;
    std::string status;
    std::string receivedAt;
};

struct DashboardFacts {
    std::vector<InvoiceFact> invoices;  // every invoice and credit note but the cancelled ones
    std::vector<TransactionFact> transactions;
    std::vector<InboxFact> inbox;
};

// True for the statuses in which an invoice waits for its money.
bool awaitsPayment(const std::string& status);
// True for the statuses of an invoice that counts as revenue: it went out (paid, credited or not).
bool countsAsRevenue(const std::string& status);

DashboardFacts gatherFacts(Connection& db, const Caller& caller);

}  // namespace zelvorin::service::dashboard
