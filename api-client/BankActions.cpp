#include "api-client/BankActions.h"

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

}  // namespace zelvorin::bank
