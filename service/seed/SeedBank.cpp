#include <algorithm>
#include <array>
#include <stdexcept>

#include "service/seed/IbanText.h"
#include "service/seed/SeedParts.h"

namespace zelvorin::service::seed {

namespace {

struct AccountFacts {
    std::string id;
    std::string iban;
    std::string name;
};

struct Transaction {
    const AccountFacts* account = nullptr;
    std::int64_t amountCents = 0;  // negative for money going out
    int day = 0;
    std::string description;
    std::string counterpartyName;
    std::string counterpartyIban;
    std::optional<std::string> category;
    std::optional<std::string> matchedInvoiceId;
    std::optional<std::string> matchedIncomingInvoiceId;
    std::optional<int> vatRatePercent;
};

AccountFacts seedAccount(SeedContext& context, const std::string& organizationId, const std::string& iban,
                         const std::string& name, const char* type) {
    Json account;
    account["id"] = context.nextId();
    account["organizationId"] = organizationId;
    account["iban"] = iban;
    account["name"] = name;
    account["type"] = type;
    account["source"] = "import";
    account["createdAt"] = context.timestamp(-119, 11);
    account["updatedAt"] = context.timestamp(-119, 11);
    addServerBookkeeping(account, context);
    context.put(organizationId, "bankAccount", account);
    return {account["id"].get<std::string>(), iban, name};
}

void putTransaction(SeedContext& context, const std::string& organizationId, const Transaction& transaction) {
    Json payload;
    payload["id"] = context.nextId();
    payload["organizationId"] = organizationId;
    payload["source"] = "import";
    payload["bankAccountId"] = transaction.account->id;
    payload["externalRef"] =
        "IMP-" + context.date(transaction.day) + "-" + payload["id"].get<std::string>().substr(24);
    payload["accountName"] = transaction.account->name;
    payload["accountIban"] = transaction.account->iban;
    // The device's charts count 'in' as income and every other direction as an expense, each on
    // the amount without its sign.
    payload["direction"] = transaction.amountCents < 0 ? "out" : "in";
    payload["amountCents"] = transaction.amountCents < 0 ? -transaction.amountCents : transaction.amountCents;
    payload["currency"] = "EUR";
    payload["description"] = transaction.description;
    payload["transactionDate"] = context.date(transaction.day);
    payload["counterpartyIban"] = transaction.counterpartyIban;
    payload["counterpartyName"] = transaction.counterpartyName;
    setIf(payload, "category", transaction.category);
    setIf(payload, "matchedInvoiceId", transaction.matchedInvoiceId);
    setIf(payload, "matchedIncomingInvoiceId", transaction.matchedIncomingInvoiceId);
    if (transaction.matchedInvoiceId || transaction.matchedIncomingInvoiceId) {
        payload["matchConfidence"] = "high";
        payload["matchedAt"] = context.timestamp(std::min(transaction.day + 1, -1), 7);
    }
    setIf(payload, "vatRatePercent", transaction.vatRatePercent);
    payload["createdAt"] = context.timestamp(transaction.day, 23);
    payload["updatedAt"] = context.timestamp(transaction.day, 23);
    addServerBookkeeping(payload, context);
    context.put(organizationId, "bankTransaction", payload);
}

struct RecurringCost {
    const char* counterparty;
    const char* description;
    std::int64_t amountCents;
    const char* category;
    int vatRatePercent;
};

// The costs a small studio pays every month or so; cycled through until the count is reached.
constexpr std::array<RecurringCost, 6> kCosts{{
    {"Telecom Noord B.V.", "Abonnement mobiel en internet", -6534, "telefoon_internet", 21},
    {"Coworking De Werkplaats", "Huur werkplek", -35090, "huisvesting", 21},
    {"Kantoorhuis Utrecht", "Kantoorartikelen", -4789, "kantoor", 21},
    {"Vakboekhandel Lezen & Leren", "Vakliteratuur", -5450, "opleiding", 9},
    {"Cloudopslag Nederland", "Opslag en back-up", -1199, "software", 21},
    {"Treinreizen Zakelijk", "Reiskosten", -8620, "reiskosten", 0},
}};

std::vector<Transaction> incomeAndMatches(const std::vector<SeededCustomer>& customers,
                                          const std::vector<SeededInvoice>& invoices,
                                          const std::vector<SeededIncoming>& incoming,
                                          const AccountFacts& main) {
    std::vector<Transaction> transactions;
    for (const SeededInvoice& invoice : invoices) {
        const CustomerPlan& customer = customers.at(static_cast<std::size_t>(invoice.customer)).plan;
        for (const auto& [amount, day] : invoice.payments) {
            transactions.push_back({&main, amount, day, "Betaling " + invoice.number.value_or(invoice.id),
                                    customer.companyName, customer.iban, "omzet", invoice.id, std::nullopt,
                                    std::nullopt});
        }
    }
    int supplierAccount = 0;
    for (const SeededIncoming& document : incoming) {
        if (document.amountCents <= 0) continue;
        transactions.push_back({&main, -document.amountCents, std::min(document.day + 3, -1),
                                "Factuur " + document.senderName, document.senderName,
                                dutchIban("INGB", "00" + std::to_string(41000000 + ++supplierAccount)),
                                "inkoop", std::nullopt, document.id, document.vatRatePercent});
    }
    return transactions;
}

}  // namespace

void seedBank(SeedContext& context, const SeededOrganisation& organisation,
              const std::vector<SeededCustomer>& customers, const std::vector<SeededInvoice>& invoices,
              const std::vector<SeededIncoming>& incoming, int accountCount, int transactionCount) {
    const AccountFacts main =
        seedAccount(context, organisation.id, organisation.profile.iban, "Zakelijke rekening", "checking");
    std::optional<AccountFacts> savings;
    if (accountCount > 1) {
        savings = seedAccount(context, organisation.id, dutchIban("ABNA", "0612345678"), "Spaarrekening BTW",
                              "savings");
    }

    std::vector<Transaction> transactions = incomeAndMatches(customers, invoices, incoming, main);
    if (static_cast<int>(transactions.size()) > transactionCount) {
        throw std::logic_error("meer betalingen dan banktransacties in de demo");
    }
    if (transactionCount - static_cast<int>(transactions.size()) >= 1) {
        // A payment that nobody has matched yet: it keeps the bank screen's "onbekend" filter honest.
        transactions.push_back({&main, 24200, -3, "Overboeking zonder kenmerk", "J. Bakker",
                                dutchIban("RABO", "0398765432"), std::nullopt, std::nullopt, std::nullopt,
                                std::nullopt});
    }
    for (int n = 0; static_cast<int>(transactions.size()) < transactionCount; ++n) {
        const int day = -110 + (n * 7) % 109;
        if (savings && n % 5 == 4) {
            // Setting the VAT aside: out of the main account and into the savings account.
            transactions.push_back({&main, -50000, day, "Reservering BTW", savings->name, savings->iban,
                                    "overboeking", std::nullopt, std::nullopt, std::nullopt});
            if (static_cast<int>(transactions.size()) < transactionCount) {
                transactions.push_back({&*savings, 50000, day, "Reservering BTW", main.name, main.iban,
                                        "overboeking", std::nullopt, std::nullopt, std::nullopt});
            }
            continue;
        }
        const RecurringCost& cost = kCosts[static_cast<std::size_t>(n) % kCosts.size()];
        transactions.push_back({&main, cost.amountCents, day, cost.description, cost.counterparty,
                                dutchIban("SNSB", "20" + std::to_string(10000000 + n % 6)), cost.category,
                                std::nullopt, std::nullopt, cost.vatRatePercent});
    }
    for (const Transaction& transaction : transactions)
        putTransaction(context, organisation.id, transaction);
}

}  // namespace zelvorin::service::seed
