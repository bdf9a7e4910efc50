#include "api-client/BankActions.h"

#include "api-client/ResponseFields.h"

namespace zelvorin::bank {

namespace {

std::string transactionPath(const std::string& transactionId, const char* verb) {
    return "api/native/v1/bank/transactions/" + percentEncodeQueryValue(transactionId) + "/" + verb;
}

}  // namespace

BankSyncResult syncNow(SyncAPIClient& client) {
    return BankSyncResult::fromJson(
        client.action("POST", "api/native/v1/bank/sync-now", nlohmann::ordered_json::object()));
}

BankMatchSuggestion suggestion(SyncAPIClient& client, const std::string& transactionId) {
    return BankMatchSuggestion::fromJson(client.fetch(transactionPath(transactionId, "suggestion")));
}

void match(SyncAPIClient& client, const std::string& transactionId, const std::string& invoiceId,
           const std::optional<std::string>& invoiceType) {
    nlohmann::ordered_json body{{"invoiceId", invoiceId}};
    if (invoiceType) body["invoiceType"] = *invoiceType;
    client.action("POST", transactionPath(transactionId, "match"), body, /*decode=*/false);
}

void unmatch(SyncAPIClient& client, const std::string& transactionId) {
    client.action("POST", transactionPath(transactionId, "unmatch"), nlohmann::ordered_json::object(),
                  /*decode=*/false);
}

void categorize(SyncAPIClient& client, const std::string& transactionId, const std::string& category,
                bool createRule, const std::optional<std::string>& counterpartyPattern) {
    nlohmann::ordered_json body{{"category", category}};
    if (createRule) body["createRule"] = true;
    if (counterpartyPattern) body["counterpartyPattern"] = *counterpartyPattern;
    client.action("POST", transactionPath(transactionId, "categorize"), body, /*decode=*/false);
}

std::vector<BankInvoiceSearchResult> searchInvoices(SyncAPIClient& client, const std::string& query,
                                                    const std::optional<std::string>& direction) {
    nlohmann::ordered_json body{{"query", query}};
    if (direction) body["direction"] = *direction;
    const nlohmann::json answer = client.fetch("POST", "api/native/v1/bank/match-search", body);
    std::vector<BankInvoiceSearchResult> results;
    for (const nlohmann::json& item : responsefields::array(answer, "results"))
        results.push_back(BankInvoiceSearchResult::fromJson(item));
    return results;
}

void updateAccount(SyncAPIClient& client, const std::string& accountId,
                   const std::optional<std::string>& name, const std::optional<std::string>& type) {
    nlohmann::ordered_json body = nlohmann::ordered_json::object();
    if (name) body["name"] = *name;
    if (type) body["type"] = *type;
    client.action("PATCH", "api/native/v1/bank/accounts/" + percentEncodeQueryValue(accountId), body,
                  /*decode=*/false);
}

BankRulesResponse rules(SyncAPIClient& client) {
    return BankRulesResponse::fromJson(client.fetch("api/native/v1/bank/rules"));
}

void addRule(SyncAPIClient& client, const std::string& counterpartyPattern) {
    client.action("POST", "api/native/v1/bank/rules",
                  nlohmann::ordered_json{{"counterpartyPattern", counterpartyPattern}},
                  /*decode=*/false);
}

void deleteRule(SyncAPIClient& client, const std::string& ruleId) {
    client.action("DELETE", "api/native/v1/bank/rules/" + percentEncodeQueryValue(ruleId),
                  nlohmann::ordered_json::object(), /*decode=*/false);
}

std::int64_t activateRule(SyncAPIClient& client, const std::string& pattern) {
    return responsefields::integer(client.action("POST", "api/native/v1/bank/rules/activate",
                                                 nlohmann::ordered_json{{"pattern", pattern}}),
                                   "count");
}

}  // namespace zelvorin::bank
