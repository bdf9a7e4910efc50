#include "service/dashboard/DashboardFacts.h"

#include <algorithm>
#include <map>

#include "service/invoices/InvoiceRecords.h"
#include "service/store/Records.h"

namespace zelvorin::service::dashboard {

namespace {

using invoicerecords::integer;
using Json = nlohmann::ordered_json;

std::string text(const Json& payload, const char* key) {
    return invoicerecords::text(payload, key).value_or("");
}

}  // namespace

bool awaitsPayment(const std::string& status) {
    return status == "sent" || status == "delivered" || status == "viewed" || status == "partiallyPaid" ||
           status == "overdue";
}

bool countsAsRevenue(const std::string& status) {
    return awaitsPayment(status) || status == "paid" || status == "credited";
}

DashboardFacts gatherFacts(Connection& db, const Caller& caller) {
    DashboardFacts facts;
    std::map<std::string, std::string> customerNames;
    for (const StoredRecord& customer : records::all(db, caller.organizationId, std::string("customer")))
        customerNames[customer.id] = text(customer.payload, "companyName");
    for (const StoredRecord& record : records::all(db, caller.organizationId, std::string("draftInvoice"))) {
        const Json& invoice = record.payload;
        const std::string status = text(invoice, "status");
        if (record.deleted || status == "cancelled") continue;
        InvoiceFact fact{record.id,
                         invoicerecords::text(invoice, "invoiceNumber"),
                         status,
                         customerNames[text(invoice, "customerId")],
                         text(invoice, "issueDate").substr(0, 10),
                         text(invoice, "dueDate").substr(0, 10),
                         text(invoice, "updatedAt"),
                         integer(invoice, "subtotalCents"),
                         integer(invoice, "totalCents"),
                         0,
                         countsAsRevenue(status) && text(invoice, "invoiceType") != "credit_note"};
        if (awaitsPayment(status))
            fact.openCents =
                std::max<std::int64_t>(0, invoicerecords::openCents(db, caller, record.id, invoice));
        facts.invoices.push_back(std::move(fact));
    }
    // Credit notes kept as records of their own: listed as activity, not counted as revenue (the
    // credited invoice stays revenue, as on the device).
    for (const StoredRecord& record : records::all(db, caller.organizationId, std::string("creditNote"))) {
        const Json& credit = record.payload;
        if (record.deleted || !invoicerecords::text(credit, "invoiceNumber")) continue;
        facts.invoices.push_back({record.id, invoicerecords::text(credit, "invoiceNumber"),
                                  text(credit, "status"), customerNames[text(credit, "customerId")],
                                  text(credit, "issueDate").substr(0, 10), "", text(credit, "updatedAt"),
                                  integer(credit, "subtotalCents"), integer(credit, "totalCents"), 0, false});
    }
    for (const StoredRecord& record :
         records::all(db, caller.organizationId, std::string("bankTransaction"))) {
        if (record.deleted) continue;
        const Json& t = record.payload;
        const std::int64_t amount = std::abs(integer(t, "amountCents"));
        facts.transactions.push_back(
            {record.id, text(t, "transactionDate").substr(0, 10),
             text(t, "direction") == "in" ? amount : -amount,
             !text(t, "matchedInvoiceId").empty() || !text(t, "matchedIncomingInvoiceId").empty(),
             !text(t, "category").empty(), text(t, "counterpartyName")});
    }
    std::ranges::sort(facts.transactions, {}, &TransactionFact::date);
    for (const StoredRecord& record :
         records::all(db, caller.organizationId, std::string("incomingInvoice"))) {
        if (!record.deleted)
            facts.inbox.push_back(
                {record.id, text(record.payload, "status"), text(record.payload, "receivedAt")});
    }
    return facts;
}

}  // namespace zelvorin::service::dashboard
