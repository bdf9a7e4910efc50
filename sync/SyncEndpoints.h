#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sync/SyncEntityType.h"

namespace zelvorin {

// Relative to the service's base URL.
inline constexpr std::string_view kSyncPushPath = "api/sync/push";
inline constexpr std::string_view kSyncPullPath = "api/sync/pull";

// The raw values joined with "," and no spaces, in the order given; "" for none.
std::string joinEntityTypes(std::span<const SyncEntityType> entityTypes);

// The raw values of a joined list with empty parts dropped; texts that name no entity type are
// kept too, so that a caller comparing stored lists sees them.
std::vector<std::string> splitEntityTypeList(std::string_view joined);

// The query of a pull, unencoded and in the order they are sent: "limit", then "cursor" when one
// is held, then "entityTypes" when the list is not empty.
using QueryItems = std::vector<std::pair<std::string, std::string>>;
QueryItems pullQueryItems(const std::optional<std::string>& cursor, int limit,
                          std::span<const SyncEntityType> entityTypes);

}  // namespace zelvorin
