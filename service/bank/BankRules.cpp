#include "service/bank/BankRules.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>

#include "domain/BankIgnoreRuleMatching.h"
#include "domain/Timestamps.h"
#include "domain/Uuid.h"
#include "persistence/sqlite/Connection.h"
#include "service/bank/StatementText.h"
#include "service/http/ServiceError.h"
#include "service/invoices/InvoiceRecords.h"
#include "service/seed/IbanText.h"
#include "service/store/Records.h"
#include "service/store/ServiceDatabase.h"

namespace zelvorin::service {

namespace {

using Json = nlohmann::ordered_json;
using invoicerecords::text;

constexpr std::size_t kMaxPatternLength = 200;
constexpr std::size_t kMaxCategoryLength = 64;
constexpr int kSuggestAfter = 3;  // outgoing transactions of one counterparty waiting for review

// A counterparty's name without its legal form, so "De Pomp" and "De Pomp B.V." are one.
std::string withoutLegalForm(std::string name) {
    static const std::vector<std::string> forms{" b.v.", " b.v",    " bv",  " n.v.",
                                                " nv",   " v.o.f.", " vof", " gmbh"};
    for (const std::string& form : forms) {
        if (name.size() > form.size() &&
            std::ranges::equal(name.substr(name.size() - form.size()), form, [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) == b;
            })) {
            name.resize(name.size() - form.size());
            break;
        }
    }
    return name;
}

bool waitsForReview(const Json& transaction) {
    return text(transaction, "category").value_or("").empty() && !text(transaction, "matchedInvoiceId") &&
           !text(transaction, "matchedIncomingInvoiceId");
}

std::vector<StoredRecord> liveTransactions(Connection& db, const std::string& organizationId) {
    std::vector<StoredRecord> live;
    for (StoredRecord& record : records::all(db, organizationId, std::string("bankTransaction")))
        if (!record.deleted) live.push_back(std::move(record));
    return live;
}

// The organisation's own accounts by compact IBAN, with their names.
std::map<std::string, std::string> ownAccounts(Connection& db, const std::string& organizationId) {
    std::map<std::string, std::string> accounts;
    for (const StoredRecord& account : records::all(db, organizationId, std::string("bankAccount"))) {
        const std::string iban = statementtext::compactIban(text(account.payload, "iban").value_or(""));
        if (!account.deleted && !iban.empty()) accounts[iban] = text(account.payload, "name").value_or(iban);
    }
    return accounts;
}

std::string checkedPattern(const std::string& pattern) {
    std::string trimmed = statementtext::folded(pattern);
    if (trimmed.empty())
        throw ServiceError(ErrorKind::unprocessable, "Geef een tegenpartij op voor de regel.");
    if (trimmed.size() > kMaxPatternLength)
        throw ServiceError(ErrorKind::unprocessable,
                           "De tegenpartij van een regel is te lang (ten hoogste 200 tekens).");
    return trimmed;
}

std::optional<bankrules::Rule> ruleWithPattern(Connection& db, const std::string& organizationId,
                                               const std::string& pattern) {
    for (bankrules::Rule& rule : bankrules::load(db, organizationId))
        if (statementtext::foldedLower(rule.pattern) == statementtext::foldedLower(pattern))
            return std::move(rule);
    return std::nullopt;
}

// Stores a new rule for a checked pattern; an IBAN pattern matches by IBAN, and the IBAN of an own
// account always makes an internal transfer.
bankrules::Rule insertRule(Connection& db, const Caller& caller, const std::string& pattern,
                           std::string category, TimePoint now) {
    if (ruleWithPattern(db, caller.organizationId, pattern))
        throw ServiceError(ErrorKind::conflict, "Er is al een regel voor \"" + pattern + "\".");
    bankrules::Rule rule;
    rule.pattern = pattern;
    const std::string iban = statementtext::compactIban(pattern);
    if (hasValidIbanChecksum(iban)) {
        rule.iban = iban;
        if (ownAccounts(db, caller.organizationId).contains(iban))
            category = std::string(BankIgnoreRuleMatching::kInternalTransferCategory);
    }
    rule.category = std::move(category);
    rule.createdAt = formatTimestampMillis(now);
    rule.id = uuidV7(now, static_cast<std::uint64_t>(records::lastSequence(db)) << 20 |
                              static_cast<std::uint64_t>(bankrules::load(db, caller.organizationId).size()));
    db.cached(
          "INSERT INTO bank_rule (organization_id, id, counterparty_pattern, counterparty_iban, category, "
          "created_at) VALUES (?, ?, ?, ?, ?, ?)")
        .bindAll(caller.organizationId, rule.id, rule.pattern, rule.iban, rule.category, rule.createdAt)
        .run();
    return rule;
}

// Gives the rule's category to the transactions waiting for review that it fits; how many.
int applyRule(Connection& db, const Caller& caller, const bankrules::Rule& rule, TimePoint now) {
    int count = 0;
    const std::vector<bankrules::Rule> only{rule};
    for (StoredRecord& transaction : liveTransactions(db, caller.organizationId)) {
        if (!bankrules::categorise(only, transaction.payload)) continue;
        transaction.payload["updatedAt"] = formatTimestampMillis(now);
        invoicerecords::put(db, caller, SyncEntityType::bankTransaction, transaction.id,
                            std::move(transaction.payload), now);
        ++count;
    }
    return count;
}

std::string checkedCategory(const std::string& category) {
    std::string trimmed = statementtext::folded(category);
    if (trimmed.empty()) throw ServiceError(ErrorKind::unprocessable, "Kies een categorie.");
    if (trimmed.size() > kMaxCategoryLength)
        throw ServiceError(ErrorKind::unprocessable, "De categorie is te lang (ten hoogste 64 tekens).");
    return trimmed;
}

}  // namespace

namespace bankrules {

std::vector<Rule> load(Connection& db, const std::string& organizationId) {
    Statement& rows = db.cached(
        "SELECT id, counterparty_pattern, counterparty_iban, category, created_at FROM bank_rule "
        "WHERE organization_id = ? ORDER BY created_at, id");
    rows.bindAll(organizationId);
    std::vector<Rule> rules;
    while (rows.step())
        rules.push_back({rows.text(0), rows.text(1), rows.optionalText(2), rows.text(3), rows.text(4)});
    return rules;
}

bool fits(const Rule& rule, const Json& transaction) {
    if (rule.iban)
        return statementtext::compactIban(text(transaction, "counterpartyIban").value_or("")) == *rule.iban;
    const std::string name = statementtext::foldedLower(text(transaction, "counterpartyName").value_or(""));
    return !name.empty() && name.find(statementtext::foldedLower(rule.pattern)) != std::string::npos;
}

bool categorise(const std::vector<Rule>& rules, Json& transaction) {
    if (!waitsForReview(transaction)) return false;
    const auto rule = std::ranges::find_if(rules, [&](const Rule& r) { return fits(r, transaction); });
    if (rule == rules.end()) return false;
    transaction["category"] = rule->category;
    return true;
}

}  // namespace bankrules

Json bankRulesOverview(const ServiceDatabase& database, const Caller& caller) {
    return database.read([&](Connection& db) {
        const std::vector<bankrules::Rule> rules = bankrules::load(db, caller.organizationId);
        const std::vector<StoredRecord> transactions = liveTransactions(db, caller.organizationId);
        Json listed = Json::array();
        for (const bankrules::Rule& rule : rules) {
            const auto count = std::ranges::count_if(
                transactions, [&](const StoredRecord& t) { return bankrules::fits(rule, t.payload); });
            listed.push_back(Json{
                {"id", rule.id},
                {"counterpartyPattern", rule.pattern},
                {"counterpartyIban", rule.iban ? Json(*rule.iban) : Json(nullptr)},
                {"isInternalTransfer", rule.category == BankIgnoreRuleMatching::kInternalTransferCategory},
                {"matchCount", count},
                {"createdAt", rule.createdAt}});
        }
        const auto ruled = [&](const std::string& pattern) {
            return std::ranges::any_of(rules, [&](const bankrules::Rule& r) {
                return statementtext::foldedLower(r.pattern) == statementtext::foldedLower(pattern);
            });
        };

        Json suggestions = Json::array();
        const std::map<std::string, std::string> own = ownAccounts(db, caller.organizationId);
        std::map<std::string, int> transfers;  // own IBAN -> transactions waiting
        std::map<std::string, std::pair<std::string, int>> counterparties;  // folded name -> name, count
        for (const StoredRecord& transaction : transactions) {
            if (!waitsForReview(transaction.payload)) continue;
            const std::string iban =
                statementtext::compactIban(text(transaction.payload, "counterpartyIban").value_or(""));
            if (own.contains(iban)) {
                ++transfers[iban];
                continue;
            }
            if (text(transaction.payload, "direction").value_or("") != "out") continue;
            const std::string name = withoutLegalForm(
                statementtext::folded(text(transaction.payload, "counterpartyName").value_or("")));
            if (name.empty()) continue;
            auto& [shown, count] = counterparties[statementtext::foldedLower(name)];
            if (shown.empty()) shown = name;
            ++count;
        }
        for (const auto& [iban, name] : own) {
            const int count = transfers.contains(iban) ? transfers.at(iban) : 0;
            const bool enabled = ruled(iban);
            if (count == 0 && !enabled) continue;
            suggestions.push_back(
                Json{{"type", "internal_transfer"},
                     {"label", "Overboekingen naar " + name},
                     {"description", std::to_string(count) + " transacties tussen je eigen rekeningen"},
                     {"pattern", iban},
                     {"transactionCount", count},
                     {"enabled", enabled}});
        }
        for (const auto& [key, entry] : counterparties) {
            const auto& [name, count] = entry;
            if (count < kSuggestAfter || ruled(name)) continue;
            suggestions.push_back(Json{{"type", "ignore_counterparty"},
                                       {"label", name},
                                       {"description", std::to_string(count) + " afschrijvingen van " + name +
                                                           " zonder categorie of document"},
                                       {"pattern", name},
                                       {"transactionCount", count},
                                       {"enabled", false}});
        }
        return Json{{"rules", std::move(listed)}, {"suggestions", std::move(suggestions)}};
    });
}

Json addBankRule(const ServiceDatabase& database, const Caller& caller, const std::string& pattern,
                 const std::optional<std::string>& category, TimePoint now) {
    const std::string checked = checkedPattern(pattern);
    const std::string ruleCategory =
        category ? checkedCategory(*category) : std::string(bankrules::kIgnoredCategory);
    return database.write([&](Connection& db) {
        const bankrules::Rule rule = insertRule(db, caller, checked, ruleCategory, now);
        return Json{{"id", rule.id}, {"count", applyRule(db, caller, rule, now)}};
    });
}

Json activateBankRule(const ServiceDatabase& database, const Caller& caller, const std::string& pattern,
                      TimePoint now) {
    const std::string checked = checkedPattern(pattern);
    return database.write([&](Connection& db) {
        std::optional<bankrules::Rule> rule = ruleWithPattern(db, caller.organizationId, checked);
        if (!rule) rule = insertRule(db, caller, checked, std::string(bankrules::kIgnoredCategory), now);
        return Json{{"count", applyRule(db, caller, *rule, now)}};
    });
}

void deleteBankRule(const ServiceDatabase& database, const Caller& caller, const std::string& ruleId) {
    database.write([&](Connection& db) {
        db.cached("DELETE FROM bank_rule WHERE organization_id = ? AND id = ?")
            .bindAll(caller.organizationId, ruleId)
            .run();
        if (db.changes() == 0) throw ServiceError(ErrorKind::notFound, "Regel niet gevonden.");
    });
}

Json categorizeTransaction(const ServiceDatabase& database, const Caller& caller,
                           const std::string& transactionId, const std::string& category, bool createRule,
                           const std::optional<std::string>& pattern, TimePoint now) {
    const std::string checked = checkedCategory(category);
    return database.write([&](Connection& db) {
        std::optional<StoredRecord> transaction =
            records::find(db, caller.organizationId, "bankTransaction", transactionId);
        if (!transaction || transaction->deleted)
            throw ServiceError(ErrorKind::notFound, "Banktransactie niet gevonden.");
        Json payload = transaction->payload;
        payload["category"] = checked;
        payload["updatedAt"] = formatTimestampMillis(now);
        int count = 1;
        if (createRule) {
            std::string counterparty = pattern.value_or(
                text(payload, "counterpartyName").value_or(text(payload, "counterpartyIban").value_or("")));
            const bankrules::Rule rule = insertRule(db, caller, checkedPattern(counterparty), checked, now);
            invoicerecords::put(db, caller, SyncEntityType::bankTransaction, transactionId,
                                std::move(payload), now);
            count += applyRule(db, caller, rule, now);
        } else {
            invoicerecords::put(db, caller, SyncEntityType::bankTransaction, transactionId,
                                std::move(payload), now);
        }
        return Json{{"category", checked}, {"count", count}};
    });
}

}  // namespace zelvorin::service
