#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "sync/JSONValue.h"
#include "sync/SyncEntityType.h"
#include "sync/SyncOperation.h"

namespace zelvorin {

// One outgoing change, as the store's outbox recorded it. A change pushed again carries the same
// idempotency key, which is how the service recognises a retry.
struct PushChange {
    SyncEntityType entityType = SyncEntityType::draftInvoice;
    std::string entityId;
    SyncOperation operation = SyncOperation::update;
    std::int64_t clientRevision = 0;
    std::optional<std::int64_t> baseServerRevision;
    std::optional<std::vector<std::string>> changedFields;
    JSONValue payload;
    std::string clientTimestamp;
    std::string idempotencyKey;

    bool operator==(const PushChange&) const = default;
};

// The body of POST "api/sync/push": one batch, in the store's order.
struct PushRequest {
    std::string deviceId;
    std::optional<std::string> baseCursor;
    std::vector<PushChange> changes;

    bool operator==(const PushRequest&) const = default;
};

// Keys go out in the order above; optional members without a value are left out.
nlohmann::ordered_json toJson(const PushChange& change);
nlohmann::ordered_json toJson(const PushRequest& request);

// Throw SyncDecodingError naming the first member that is missing or of the wrong JSON type.
PushChange decodePushChange(const nlohmann::ordered_json& json);
PushRequest decodePushRequest(const nlohmann::ordered_json& json);
PushRequest parsePushRequest(std::string_view text);

}  // namespace zelvorin
