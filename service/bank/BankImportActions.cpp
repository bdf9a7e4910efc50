#include "service/bank/BankImportActions.h"

#include <string>
#include <unordered_map>

#include "domain/Money.h"
#include "domain/Timestamps.h"
#include "domain/Uuid.h"
#include "persistence/sqlite/Connection.h"
#include "service/bank/BankRules.h"
#include "service/bank/OpenInvoiceIndex.h"
#include "service/bank/StatementFormat.h"
#include "service/bank/StatementText.h"
#include "service/bank/TransactionLink.h"
#include "service/invoices/InvoiceRecords.h"
#include "service/store/RecordBatch.h"
#include "service/store/ServiceDatabase.h"

namespace zelvorin::service {

namespace {

using Json = nlohmann::ordered_json;
using invoicerecords::integer;
using invoicerecords::text;

// How an entry is recognised when it comes again: by the bank's own reference on the account, or
// when the bank gave none, by what it says on the account.
std::string referenceKey(const std::string& accountIban, const std::string& reference) {
    return "ref\x1f" + accountIban + "\x1f" + reference;
}
std::string contentKey(const std::string& accountIban, const std::string& date, std::int64_t signedCents,
                       const std::string& counterpartyIban, const std::string& counterpartyName,
                       const std::string& description) {
    return "txt\x1f" + accountIban + "\x1f" + date + "\x1f" + std::to_string(signedCents) + "\x1f" +
           counterpartyIban + "\x1f" + statementtext::folded(counterpartyName) + "\x1f" +
           statementtext::folded(description);
}

std::string keyOf(const std::string& accountIban, const StatementEntry& entry) {
    if (entry.entryReference) return referenceKey(accountIban, *entry.entryReference);
    return contentKey(accountIban, entry.bookingDate, entry.amountCents, entry.counterpartyIban,
                      entry.counterpartyName, entry.description);
}

// How often each key is already there, from one read of the organisation's transactions.
std::unordered_map<std::string, int> knownEntries(Connection& db, const std::string& organizationId) {
    std::unordered_map<std::string, int> known;
    for (const StoredRecord& transaction : records::all(db, organizationId, std::string("bankTransaction"))) {
        if (transaction.deleted) continue;
        const Json& payload = transaction.payload;
        const std::string account = text(payload, "accountIban").value_or("");
        if (const auto reference = text(payload, "externalRef")) {
            ++known[referenceKey(account, *reference)];
            continue;
        }
        const std::int64_t cents = integer(payload, "amountCents");
        ++known[contentKey(account, text(payload, "transactionDate").value_or(""),
                           text(payload, "direction").value_or("") == "in" ? cents : -cents,
                           text(payload, "counterpartyIban").value_or(""),
                           text(payload, "counterpartyName").value_or(""),
                           text(payload, "description").value_or(""))];
    }
    return known;
}

struct Account {
    std::string id;
    std::string iban;
    std::string name;
};

// The organisation's account of the statement, made from the statement when it has none.
Account accountFor(Connection& db, const Caller& caller, const std::string& iban, TimePoint now,
                   std::uint64_t idCounter) {
    std::optional<Account> first;
    for (const StoredRecord& account : records::all(db, caller.organizationId, std::string("bankAccount"))) {
        if (account.deleted) continue;
        Account known{account.id, statementtext::compactIban(text(account.payload, "iban").value_or("")),
                      text(account.payload, "name").value_or("")};
        if (!iban.empty() && known.iban == iban) return known;
        if (!first) first = known;
    }
    if (iban.empty() && first) return *first;
    const std::string stamp = formatTimestampMillis(now);
    Account made{uuidV7(now, idCounter), iban, iban.empty() ? "Geïmporteerde rekening" : "Rekening " + iban};
    Json payload{{"id", made.id}, {"organizationId", caller.organizationId}};
    if (!iban.empty()) payload["iban"] = iban;
    payload["name"] = made.name;
    payload["type"] = "checking";
    payload["source"] = "import";
    payload["createdAt"] = stamp;
    payload["updatedAt"] = stamp;
    invoicerecords::put(db, caller, SyncEntityType::bankAccount, made.id, std::move(payload), now);
    return made;
}

Json transactionPayload(const Caller& caller, const Account& account, const std::string& id,
                        const std::string& importId, const StatementEntry& entry, const std::string& stamp) {
    Json payload{{"id", id},
                 {"organizationId", caller.organizationId},
                 {"source", "import"},
                 {"bankAccountId", account.id},
                 {"bankImportId", importId}};
    if (entry.entryReference) payload["externalRef"] = *entry.entryReference;
    payload["accountName"] = account.name;
    payload["accountIban"] = account.iban;
    // Devices count 'in' as income and everything else as an expense, each on the unsigned amount.
    payload["direction"] = entry.amountCents < 0 ? "out" : "in";
    payload["amountCents"] = entry.amountCents < 0 ? -entry.amountCents : entry.amountCents;
    payload["currency"] = entry.currency;
    payload["description"] = entry.description;
    payload["transactionDate"] = entry.bookingDate;
    if (!entry.counterpartyIban.empty()) payload["counterpartyIban"] = entry.counterpartyIban;
    if (!entry.counterpartyName.empty()) payload["counterpartyName"] = entry.counterpartyName;
    payload["createdAt"] = stamp;
    payload["updatedAt"] = stamp;
    return payload;
}

// Links an incoming entry to the open invoice it names, when its amount leaves no doubt.
bool autoMatch(Connection& db, const Caller& caller, OpenInvoiceIndex& openInvoices,
               const StatementEntry& entry, Json& payload, TimePoint now) {
    if (entry.amountCents <= 0) return false;
    OpenInvoiceIndex::OpenInvoice* invoice = openInvoices.findIn(entry.description);
    if (!invoice || invoice->openCents != entry.amountCents) return false;
    const std::string number = text(invoice->record.payload, "invoiceNumber").value_or("");
    StoredRecord written =
        linkTransaction(db, caller, payload, invoice->record, invoice->openCents, "high", now);
    openInvoices.settle(number, entry.amountCents, std::move(written));
    return true;
}

}  // namespace

BankImportOutcome importStatement(const ServiceDatabase& database, const Caller& caller,
                                  std::string_view bytes, TimePoint now) {
    const ParsedStatement statement = readStatement(bytes);
    return database.write([&](Connection& db) {
        // Time-ordered ids that stay unique under a clock that stands still: the change log's
        // sequence only grows, and leaves room for a million entries per import.
        const std::uint64_t idBase = static_cast<std::uint64_t>(records::lastSequence(db)) << 20;
        std::uint64_t made = 0;
        const Account account = accountFor(db, caller, statement.accountIban, now, idBase + made++);
        std::unordered_map<std::string, int> known = knownEntries(db, caller.organizationId);
        OpenInvoiceIndex openInvoices = OpenInvoiceIndex::load(db, caller.organizationId);
        const std::vector<bankrules::Rule> rules = bankrules::load(db, caller.organizationId);
        const std::string importId = uuidV7(now, idBase + made++);
        const std::string stamp = formatTimestampMillis(now);

        BankImportOutcome outcome;
        // Thousands of transactions, payments and paid invoices: their rows go in with a few
        // multi-row statements, each change still its own change-log entry.
        batchRecordWrites(db, [&] {
            for (const StatementEntry& entry : statement.entries) {
                if (int& count = known[keyOf(account.iban, entry)]; count > 0) {
                    --count;
                    ++outcome.skipped;
                    continue;
                }
                const std::string id = uuidV7(now, idBase + made++);
                Json payload = transactionPayload(caller, account, id, importId, entry, stamp);
                if (autoMatch(db, caller, openInvoices, entry, payload, now))
                    ++outcome.matched;
                else if (bankrules::categorise(rules, payload))
                    ++outcome.categorised;
                invoicerecords::put(db, caller, SyncEntityType::bankTransaction, id, std::move(payload), now);
                ++outcome.imported;
            }
        });
        return outcome;
    });
}

}  // namespace zelvorin::service
