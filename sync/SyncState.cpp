#include "sync/SyncState.h"

namespace zelvorin {

std::string_view rawValue(SyncState state) {
    switch (state) {
        case SyncState::localOnly:
            return "localOnly";
        case SyncState::pendingUpload:
            return "pendingUpload";
        case SyncState::synced:
            return "synced";
        case SyncState::conflict:
            return "conflict";
        case SyncState::failed:
            return "failed";
        case SyncState::tombstoned:
            return "tombstoned";
    }
    return "synced";
}

std::optional<SyncState> parseSyncState(std::string_view raw) {
    for (SyncState state : kAllSyncStates) {
        if (rawValue(state) == raw) return state;
    }
    return std::nullopt;
}

}  // namespace zelvorin
