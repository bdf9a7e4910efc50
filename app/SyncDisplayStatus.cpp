#include "app/SyncDisplayStatus.h"

#include <type_traits>

namespace zelvorin {

std::string describe(const SyncDisplayStatus& status) {
    return std::visit(
        [](const auto& s) -> std::string {
            using S = std::decay_t<decltype(s)>;
            if constexpr (std::is_same_v<S, SyncDisplayStatus::Synced>) {
                return s.lastSyncedAt ? "gesynchroniseerd" : "gesynchroniseerd (nog nooit)";
            } else if constexpr (std::is_same_v<S, SyncDisplayStatus::Offline>) {
                return "offline (" + std::to_string(s.pendingCount) + " wachtend)";
            } else if constexpr (std::is_same_v<S, SyncDisplayStatus::Failed>) {
                return "mislukt: " + s.message;
            } else if constexpr (std::is_same_v<S, SyncDisplayStatus::Conflicts>) {
                return std::to_string(s.count) + " conflict(en)";
            } else if constexpr (std::is_same_v<S, SyncDisplayStatus::Syncing>) {
                return "bezig met synchroniseren";
            } else {
                return "wacht op de server";
            }
        },
        status.value);
}

}  // namespace zelvorin
