#include "app/SyncDisplayStatus.h"

#include <type_traits>

namespace zelvorin {

SyncDisplayStatus displayStatus(const SyncEngineStatus& status) {
    using S = SyncDisplayStatus;
    return std::visit(
        [](const auto& s) -> S {
            using E = std::decay_t<decltype(s)>;
            if constexpr (std::is_same_v<E, SyncEngineStatus::Idle>) {
                return S{S::Synced{s.lastSyncedAt, s.setAside}};
            } else if constexpr (std::is_same_v<E, SyncEngineStatus::Offline>) {
                return S{S::Offline{static_cast<int>(s.pendingChanges)}};
            } else if constexpr (std::is_same_v<E, SyncEngineStatus::Failed>) {
                return S{S::Failed{s.message, s.at}};
            } else if constexpr (std::is_same_v<E, SyncEngineStatus::ConflictsNeedAttention>) {
                return S{S::Conflicts{static_cast<int>(s.count)}};
            } else if constexpr (std::is_same_v<E, SyncEngineStatus::Syncing>) {
                return S{S::Syncing{s.pagesPulled, s.recordsApplied}};
            } else {
                return S{S::WaitingForServer{}};
            }
        },
        status.value());
}

std::string describe(const SyncDisplayStatus& status) {
    return std::visit(
        [](const auto& s) -> std::string {
            using S = std::decay_t<decltype(s)>;
            if constexpr (std::is_same_v<S, SyncDisplayStatus::Synced>) {
                const std::string synced =
                    s.lastSyncedAt ? "gesynchroniseerd" : "gesynchroniseerd (nog nooit)";
                return s.setAside == 0
                           ? synced
                           : synced + ", " + std::to_string(s.setAside) + " record(s) apart gezet";
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
