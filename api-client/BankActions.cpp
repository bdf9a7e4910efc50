#include "api-client/BankActions.h"

namespace zelvorin::bank {

BankSyncResult syncNow(SyncAPIClient& client) {
    return BankSyncResult::fromJson(client.action("POST", "api/native/v1/bank/sync-now", nlohmann::ordered_json::object()));
}

}  // namespace zelvorin::bank
