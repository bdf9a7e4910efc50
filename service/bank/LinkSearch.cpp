#include "service/bank/LinkSearch.h"

#include <algorithm>
#include <cctype>
#include <unordered_map>

#include "domain/Timestamps.h"
#include "persistence/sqlite/Connection.h"
#include "service/bank/StatementText.h"
#include "service/http/ServiceError.h"
#include "service/invoices/InvoiceRecords.h"
#include "service/store/Records.h"
#include "service/store/ServiceDatabase.h"

namespace zelvorin::service {

namespace {

using Json = nlohmann::ordered_json;
using invoicerecords::integer;
using invoicerecords::text;

constexpr std::size_t kMaxResults = 25;

bool awaitsPayment(const std::string& status) {
    return status == "sent" || status == "delivered" || status == "viewed" || status == "overdue" ||
           status == "partiallyPaid";
}

Json salesInvoices(Connection& db, const Caller& caller, const std::string& needle) {
    std::unordered_map<std::string, std::string> customers;
    for (const StoredRecord& customer : records::all(db, caller.organizationId, std::string("customer")))
        customers[customer.id] = text(customer.payload, "companyName").value_or("");
    std::vector<std::pair<bool, Json>> found;  // open first
    for (const StoredRecord& invoice : records::all(db, caller.organizationId, std::string("draftInvoice"))) {
        const std::optional<std::string> number = text(invoice.payload, "invoiceNumber");
        if (invoice.deleted || !number) continue;  // a draft cannot be paid yet
        const auto customer = customers.find(text(invoice.payload, "customerId").value_or(""));
        const std::string customerName = customer == customers.end() ? "" : customer->second;
        if (statementtext::foldedLower(*number).find(needle) == std::string::npos &&
            statementtext::foldedLower(customerName).find(needle) == std::string::npos)
            continue;
        found.emplace_back(
            awaitsPayment(text(invoice.payload, "status").value_or("")),
            Json{{"id", invoice.id},
                 {"invoiceNumber", *number},
                 {"customerName", customerName.empty() ? Json(nullptr) : Json(customerName)},
                 {"totalCents", integer(invoice.payload, "totalCents")},
                 {"type", text(invoice.payload, "invoiceType").value_or("regular") == "credit_note"
                              ? "credit_note"
                              : "invoice"}});
    }
    std::ranges::stable_sort(found, [](const auto& a, const auto& b) { return a.first > b.first; });
    Json results = Json::array();
    for (auto& [open, result] : found) {
        if (results.size() == kMaxResults) break;
        results.push_back(std::move(result));
    }
    return results;
}

Json incomingInvoices(Connection& db, const Caller& caller, const std::string& needle) {
    Json results = Json::array();
    for (const StoredRecord& item : records::all(db, caller.organizationId, std::string("incomingInvoice"))) {
        if (item.deleted || results.size() == kMaxResults) continue;
        const std::string number = text(item.payload, "extractedInvoiceNumber").value_or("");
        const std::string sender = text(item.payload, "extractedSenderCompany")
                                       .value_or(text(item.payload, "senderName").value_or(""));
        if (statementtext::foldedLower(number).find(needle) == std::string::npos &&
            statementtext::foldedLower(sender).find(needle) == std::string::npos)
            continue;
        results.push_back(Json{{"id", item.id},
                               {"invoiceNumber", number},
                               {"customerName", sender.empty() ? Json(nullptr) : Json(sender)},
                               {"totalCents", integer(item.payload, "extractedAmount")},
                               {"type", "incoming"}});
    }
    return results;
}

}  // namespace

Json searchInvoicesToLink(const ServiceDatabase& database, const Caller& caller, const std::string& query,
                          const std::optional<std::string>& direction) {
    const std::string needle = statementtext::foldedLower(query);
    if (needle.empty()) throw ServiceError(ErrorKind::unprocessable, "Geef een zoekterm op.");
    const std::string way = direction.value_or("in");
    if (way != "in" && way != "out")
        throw ServiceError(ErrorKind::unprocessable, "\"direction\" is \"in\" of \"out\".");
    return database.read([&](Connection& db) {
        return Json{{"results",
                     way == "in" ? salesInvoices(db, caller, needle) : incomingInvoices(db, caller, needle)}};
    });
}

Json updateBankAccount(const ServiceDatabase& database, const Caller& caller, const std::string& accountId,
                       const std::optional<std::string>& name, const std::optional<std::string>& type,
                       TimePoint now) {
    std::optional<std::string> newName;
    if (name) {
        newName = statementtext::folded(*name);
        if (newName->empty() || newName->size() > 100)
            throw ServiceError(ErrorKind::unprocessable, "Een rekeningnaam heeft 1 tot 100 tekens.");
    }
    if (type && *type != "checking" && *type != "savings" && *type != "credit_card")
        throw ServiceError(ErrorKind::unprocessable,
                           "Het rekeningtype is \"checking\", \"savings\" of \"credit_card\".");
    return database.write([&](Connection& db) {
        std::optional<StoredRecord> account =
            records::find(db, caller.organizationId, "bankAccount", accountId);
        if (!account || account->deleted)
            throw ServiceError(ErrorKind::notFound, "Bankrekening niet gevonden.");
        Json payload = account->payload;
        if (newName) payload["name"] = *newName;
        if (type) payload["type"] = *type;
        payload["updatedAt"] = formatTimestampMillis(now);
        return invoicerecords::put(db, caller, SyncEntityType::bankAccount, accountId, std::move(payload),
                                   now)
            .payload;
    });
}

}  // namespace zelvorin::service
