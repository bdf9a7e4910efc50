#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "sync/SyncEntityType.h"

namespace zelvorin {

// A pushed change the service took; the record now has `serverRevision`.
struct PushAcceptedItem {
    SyncEntityType entityType = SyncEntityType::draftInvoice;
    std::string entityId;
    std::int64_t serverRevision = 0;

    bool operator==(const PushAcceptedItem&) const = default;
};

// A pushed change the service refused because its copy moved on; `message` is its explanation.
struct PushConflictItem {
    SyncEntityType entityType = SyncEntityType::draftInvoice;
    std::string entityId;
    std::int64_t serverRevision = 0;
    std::optional<std::string> message;

    bool operator==(const PushConflictItem&) const = default;
};

// A pushed change the service could not take at all; the change stays queued.
struct PushErrorItem {
    std::string entityId;
    std::string error;

    bool operator==(const PushErrorItem&) const = default;
};

// The answer to a push; every list is present, empty when there is nothing.
struct PushResponse {
    std::vector<PushAcceptedItem> accepted;
    std::vector<PushConflictItem> conflicts;
    std::vector<PushErrorItem> errors;

    bool operator==(const PushResponse&) const = default;
};

nlohmann::ordered_json toJson(const PushAcceptedItem& item);
nlohmann::ordered_json toJson(const PushConflictItem& item);
nlohmann::ordered_json toJson(const PushErrorItem& item);
nlohmann::ordered_json toJson(const PushResponse& response);

// Throw SyncDecodingError naming the first member that is missing or of the wrong JSON type.
PushResponse decodePushResponse(const nlohmann::ordered_json& json);
PushResponse parsePushResponse(std::string_view text);

}  // namespace zelvorin
