#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "sync/SyncEngineStatus.h"

namespace zelvorin {

// What the sync chip shows. One case per engine status; the environment maps them one to one.
struct SyncDisplayStatus {
    struct Synced {
        std::optional<std::chrono::system_clock::time_point> lastSyncedAt;
        std::int64_t setAside = 0;  // pulled records that did not fit this device
        bool operator==(const Synced&) const = default;
    };
    struct Offline {
        int pendingCount = 0;
        bool operator==(const Offline&) const = default;
    };
    struct Failed {
        std::string message;
        std::chrono::system_clock::time_point at;
        bool operator==(const Failed&) const = default;
    };
    struct Conflicts {
        int count = 0;
        bool operator==(const Conflicts&) const = default;
    };
    struct Syncing {
        std::int64_t pagesPulled = 0;  // the cycle's pull so far
        std::int64_t recordsApplied = 0;
        bool operator==(const Syncing&) const = default;
    };
    struct WaitingForServer {
        bool operator==(const WaitingForServer&) const = default;
    };

    std::variant<Synced, Offline, Failed, Conflicts, Syncing, WaitingForServer> value = Synced{};

    bool operator==(const SyncDisplayStatus&) const = default;
};

// The chip for an engine status, one case to one: idle is synced, conflictsNeedAttention is
// conflicts, the others keep their names.
SyncDisplayStatus displayStatus(const SyncEngineStatus& status);

// A short Dutch description for terminals and logs, e.g. "gesynchroniseerd" or "offline (3 wachtend)".
std::string describe(const SyncDisplayStatus& status);

}  // namespace zelvorin
