#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "sync/JSONValue.h"
#include "sync/SyncEntityType.h"
#include "sync/SyncOperation.h"

namespace zelvorin {

// One change of a pull page: the record as the server holds it after the change.
struct PullChange {
    SyncEntityType entityType = SyncEntityType::draftInvoice;
    std::string entityId;
    SyncOperation operation = SyncOperation::update;
    std::int64_t serverRevision = 0;
    std::string changedAt;
    JSONValue payload;

    bool operator==(const PullChange&) const = default;
};

// One page of GET "api/sync/pull". The cursor is opaque: it is only stored and sent back.
struct PullResponse {
    std::string nextCursor;
    std::string serverTime;
    bool hasMore = false;
    std::vector<PullChange> changes;

    bool operator==(const PullResponse&) const = default;
};

nlohmann::ordered_json toJson(const PullChange& change);
nlohmann::ordered_json toJson(const PullResponse& response);

// Throw SyncDecodingError naming the first member that is missing or of the wrong JSON type; an
// unknown entity type or operation fails the whole page.
PullChange decodePullChange(const nlohmann::ordered_json& json);
PullResponse decodePullResponse(const nlohmann::ordered_json& json);
PullResponse parsePullResponse(std::string_view text);

}  // namespace zelvorin
