#include "service/bank/BankMatchActions.h"

#include <algorithm>
#include <cctype>
#include <unordered_map>

#include "domain/InvoiceStatus.h"
#include "domain/Money.h"
#include "domain/Timestamps.h"
#include "service/bank/OpenInvoiceIndex.h"
#include "service/bank/StatementText.h"
#include "service/bank/TransactionLink.h"
#include "service/http/ServiceError.h"
#include "service/invoices/InvoicePaymentActions.h"
#include "service/invoices/InvoiceRecords.h"
#include "service/store/RecordWriter.h"
#include "service/store/ServiceDatabase.h"

namespace zelvorin::service {

namespace {

using Json = nlohmann::ordered_json;
using invoicerecords::integer;
using invoicerecords::text;

StoredRecord requireTransaction(Connection& db, const Caller& caller, const std::string& id) {
    std::optional<StoredRecord> found = records::find(db, caller.organizationId, "bankTransaction", id);
    if (!found || found->deleted) throw ServiceError(ErrorKind::notFound, "Banktransactie niet gevonden.");
    return std::move(*found);
}

struct CustomerFacts {
    std::string iban;
    std::string name;  // lower case
};

// What speaks for `invoice` as the payment's invoice; the weights make a number, or the IBAN
// with the amount, enough on their own, and an equal amount alone not.
struct Fit {
    int score = 0;
    bool partial = false;
    std::vector<std::string> reasons;
};

Fit fitOf(const Json& transaction, const OpenInvoiceIndex::OpenInvoice& invoice,
          const std::vector<std::string>& words,
          const std::unordered_map<std::string, CustomerFacts>& customers) {
    Fit fit;
    const std::string number = text(invoice.record.payload, "invoiceNumber").value_or("");
    std::string upperNumber = number;
    for (char& c : upperNumber)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (std::ranges::find(words, upperNumber) != words.end()) {
        fit.score += 50;
        fit.reasons.push_back("factuurnummer " + number + " in de omschrijving");
    }
    const std::int64_t amount = integer(transaction, "amountCents");
    if (amount == invoice.openCents) {
        fit.score += 30;
        fit.reasons.push_back("bedrag gelijk aan het openstaande bedrag");
    } else if (amount > 0 && amount < invoice.openCents && fit.score > 0) {
        fit.score += 10;
        fit.partial = true;
        fit.reasons.push_back("deelbetaling van " + formatEuro(amount) + " op " +
                              formatEuro(invoice.openCents));
    }
    const auto customer = customers.find(text(invoice.record.payload, "customerId").value_or(""));
    if (customer != customers.end()) {
        const std::string iban =
            statementtext::compactIban(text(transaction, "counterpartyIban").value_or(""));
        if (!iban.empty() && iban == customer->second.iban) {
            fit.score += 25;
            fit.reasons.push_back("IBAN van de klant");
        }
        const std::string name =
            statementtext::foldedLower(text(transaction, "counterpartyName").value_or(""));
        const std::string& known = customer->second.name;
        if (!name.empty() && !known.empty() &&
            (name.find(known) != std::string::npos || known.find(name) != std::string::npos)) {
            fit.score += 15;
            fit.reasons.push_back("naam van de klant");
        }
    }
    return fit;
}

Json noSuggestion(const std::string& reason) {
    return Json{{"invoiceId", nullptr},
                {"incomingInvoiceId", nullptr},
                {"confidence", nullptr},
                {"matchReason", reason},
                {"isPartial", false}};
}

Json suggestionFor(Connection& db, const Caller& caller, const StoredRecord& transactionRecord) {
    const Json& transaction = transactionRecord.payload;
    if (const auto linked = text(transaction, "matchedInvoiceId"))
        return Json{{"invoiceId", *linked},
                    {"incomingInvoiceId", nullptr},
                    {"confidence", text(transaction, "matchConfidence").value_or("high")},
                    {"matchReason", "Al gekoppeld aan deze factuur."},
                    {"isPartial", false}};
    if (text(transaction, "direction").value_or("") != "in")
        return noSuggestion("Een afschrijving hoort niet bij een verkoopfactuur.");

    std::unordered_map<std::string, CustomerFacts> customers;
    for (const StoredRecord& customer : records::all(db, caller.organizationId, std::string("customer")))
        customers[customer.id] = {
            statementtext::compactIban(text(customer.payload, "knownIban").value_or("")),
            statementtext::foldedLower(text(customer.payload, "companyName").value_or(""))};
    const std::vector<std::string> words =
        OpenInvoiceIndex::candidateNumbers(text(transaction, "description").value_or(""));
    const OpenInvoiceIndex open = OpenInvoiceIndex::load(db, caller.organizationId);
    const OpenInvoiceIndex::OpenInvoice* best = nullptr;
    Fit bestFit;
    for (const auto& [number, invoice] : open.all()) {
        Fit fit = fitOf(transaction, invoice, words, customers);
        // Ties go to the invoice that has waited longest, then to the lower number: the same answer every
        // time.
        const auto older = [&] {
            return text(invoice.record.payload, "issueDate") < text(best->record.payload, "issueDate") ||
                   (text(invoice.record.payload, "issueDate") == text(best->record.payload, "issueDate") &&
                    number < text(best->record.payload, "invoiceNumber").value_or(""));
        };
        if (fit.score > bestFit.score || (best && fit.score == bestFit.score && fit.score > 0 && older())) {
            best = &invoice;
            bestFit = std::move(fit);
        }
    }
    if (!best || bestFit.score < 40)
        return noSuggestion("Geen openstaande factuur past bij deze transactie.");
    std::string reason;
    for (const std::string& part : bestFit.reasons)
        reason += (reason.empty() ? "" : ", ") + part;
    reason[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(reason[0])));
    return Json{{"invoiceId", best->record.id},
                {"incomingInvoiceId", nullptr},
                {"confidence", bestFit.score >= 80   ? "high"
                               : bestFit.score >= 55 ? "medium"
                                                     : "low"},
                {"matchReason", reason + "."},
                {"isPartial", bestFit.partial}};
}

}  // namespace

Json suggestMatch(const ServiceDatabase& database, const Caller& caller, const std::string& transactionId) {
    return database.read([&](Connection& db) {
        return suggestionFor(db, caller, requireTransaction(db, caller, transactionId));
    });
}

Json matchTransaction(const ServiceDatabase& database, const Caller& caller, const std::string& transactionId,
                      const std::string& invoiceId, const std::optional<std::string>& invoiceType,
                      TimePoint now) {
    if (invoiceType && *invoiceType != "invoice")
        throw ServiceError(ErrorKind::unprocessable,
                           "Alleen verkoopfacturen (invoiceType \"invoice\") kunnen hier "
                           "aan een banktransactie worden gekoppeld.");
    return database.write([&](Connection& db) {
        StoredRecord transaction = requireTransaction(db, caller, transactionId);
        if (text(transaction.payload, "matchedInvoiceId") ||
            text(transaction.payload, "matchedIncomingInvoiceId"))
            throw ServiceError(ErrorKind::conflict,
                               "Deze transactie is al gekoppeld; maak die koppeling eerst ongedaan.");
        if (text(transaction.payload, "direction").value_or("") != "in")
            throw ServiceError(
                ErrorKind::unprocessable,
                "Een afschrijving kan niet als betaling van een verkoopfactuur worden gekoppeld.");
        StoredRecord invoice = invoicerecords::requireInvoice(db, caller, invoiceId);
        const std::optional<InvoiceStatus> status =
            parseInvoiceStatus(text(invoice.payload, "status").value_or(""));
        if (!status || !acceptsPayment(*status))
            throw ServiceError(ErrorKind::conflict, "Deze factuur staat niet open voor een betaling.");
        const std::int64_t open = invoicerecords::openCents(db, caller, invoiceId, invoice.payload);
        const std::int64_t amount = integer(transaction.payload, "amountCents");
        if (amount > open)
            throw ServiceError(ErrorKind::unprocessable, "De transactie van " + formatEuro(amount) +
                                                             " is meer dan er op de factuur openstaat (" +
                                                             formatEuro(open) + ").");
        linkTransaction(db, caller, transaction.payload, std::move(invoice), open, "manual", now);
        return invoicerecords::put(db, caller, SyncEntityType::bankTransaction, transactionId,
                                   transaction.payload, now)
            .payload;
    });
}

Json unmatchTransaction(const ServiceDatabase& database, const Caller& caller,
                        const std::string& transactionId, TimePoint now) {
    return database.write([&](Connection& db) {
        StoredRecord transaction = requireTransaction(db, caller, transactionId);
        const std::optional<std::string> invoiceId = text(transaction.payload, "matchedInvoiceId");
        if (!invoiceId)
            throw ServiceError(ErrorKind::conflict, "Deze transactie is niet aan een factuur gekoppeld.");
        const std::string paymentId = bankPaymentId(transactionId);
        const std::optional<StoredRecord> payment =
            records::find(db, caller.organizationId, "invoicePayment", paymentId);
        std::optional<StoredRecord> invoice =
            records::find(db, caller.organizationId, "draftInvoice", *invoiceId);
        if (payment && !payment->deleted) {
            writeRecord(db, {caller.organizationId,
                             SyncEntityType::invoicePayment,
                             paymentId,
                             RecordOperation::remove,
                             {},
                             now,
                             Actor{ChangeSource::route, caller.userId, caller.deviceId},
                             std::nullopt});
            if (invoice && !invoice->deleted) {
                Json& changed = invoice->payload;
                const std::string status = text(changed, "status").value_or("");
                if (status == "paid" || status == "partiallyPaid") {
                    const bool paidBefore = invoicerecords::paidCents(db, caller, *invoiceId) > 0;
                    const std::string today = formatCalendarDate(amsterdamDate(now));
                    changed["status"] = paidBefore                                         ? "partiallyPaid"
                                        : text(changed, "dueDate").value_or(today) < today ? "overdue"
                                                                                           : "sent";
                    changed.erase("paidAt");
                    changed["updatedAt"] = formatTimestampMillis(now);
                    invoicerecords::put(db, caller, SyncEntityType::draftInvoice, *invoiceId, changed, now);
                }
                invoicerecords::addEvent(
                    db, caller, *invoiceId, "paymentReverted",
                    "Betaling van " + formatEuro(integer(payment->payload, "amountCents")) +
                        " teruggedraaid: de koppeling met de banktransactie is ongedaan gemaakt",
                    std::nullopt, now);
            }
        }
        Json& changed = transaction.payload;
        for (const char* key : {"matchedInvoiceId", "matchConfidence", "matchedAt"})
            changed.erase(key);
        changed["updatedAt"] = formatTimestampMillis(now);
        return invoicerecords::put(db, caller, SyncEntityType::bankTransaction, transactionId, changed, now)
            .payload;
    });
}

}  // namespace zelvorin::service
