#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "domain/TimePoint.h"
#include "service/http/RequestContext.h"

namespace zelvorin {
class Connection;
}

namespace zelvorin::service {

class ServiceDatabase;

// The organisation's bank rules: a counterparty whose transactions need no review, because they
// are not the business's (the category "genegeerd") or move money between its own accounts
// ("__INTERNAL_TRANSFER__"), or because the user said which category they always have. A rule
// gives its category to every transaction it fits that has neither a category nor a link: those
// there when it is made, and each one imported later.
namespace bankrules {

inline constexpr std::string_view kIgnoredCategory = "genegeerd";

struct Rule {
    std::string id;
    std::string pattern;  // a name fragment, or a compact IBAN
    std::optional<std::string> iban;
    std::string category;
    std::string createdAt;
};

std::vector<Rule> load(Connection& db, const std::string& organizationId);
// The counterparty's IBAN is the rule's, or its name contains the pattern (case and runs of white
// space do not count).
bool fits(const Rule& rule, const nlohmann::ordered_json& transaction);
// The category of the first rule that fits a transaction waiting for review, written into it;
// false when none fits or the transaction has a category or a link already.
bool categorise(const std::vector<Rule>& rules, nlohmann::ordered_json& transaction);

}  // namespace bankrules

// GET bank/rules: the rules with how many transactions each fits, and the suggestions: a rule
// for transfers to each own account, and one for each counterparty with three or more outgoing
// transactions waiting for review (enabled when its rule exists).
nlohmann::ordered_json bankRulesOverview(const ServiceDatabase& database, const Caller& caller);

// Makes a rule (409 when its pattern has one; 422 for an empty pattern or one over 200 characters)
// and applies it to the transactions waiting for review. Answers {"id", "count"}, count being the
// transactions it categorised. An own account's IBAN as the pattern makes an internal-transfer rule;
// otherwise the category is `category`, "genegeerd" when absent.
nlohmann::ordered_json addBankRule(const ServiceDatabase& database, const Caller& caller,
                                   const std::string& pattern, const std::optional<std::string>& category,
                                   TimePoint now);
// A suggestion switched on: the rule of its pattern, made when missing, applied. {"count"}.
nlohmann::ordered_json activateBankRule(const ServiceDatabase& database, const Caller& caller,
                                        const std::string& pattern, TimePoint now);
// The transactions it categorised keep their category. An unknown id is a 404.
void deleteBankRule(const ServiceDatabase& database, const Caller& caller, const std::string& ruleId);

// POST bank/transactions/<id>/categorize: the transaction gets `category` (422 when empty or over
// 64 characters); with `createRule` the counterparty (`counterpartyPattern`, else the
// transaction's name or IBAN) gets a rule of that category too.
nlohmann::ordered_json categorizeTransaction(const ServiceDatabase& database, const Caller& caller,
                                             const std::string& transactionId, const std::string& category,
                                             bool createRule, const std::optional<std::string>& pattern,
                                             TimePoint now);

}  // namespace zelvorin::service
