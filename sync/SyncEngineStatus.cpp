#include "sync/SyncEngineStatus.h"

namespace zelvorin {

std::string_view caseName(SyncEngineStatus::Case statusCase) {
    switch (statusCase) {
        case SyncEngineStatus::Case::idle:
            return "idle";
        case SyncEngineStatus::Case::waitingForServer:
            return "waitingForServer";
        case SyncEngineStatus::Case::offline:
            return "offline";
        case SyncEngineStatus::Case::failed:
            return "failed";
        case SyncEngineStatus::Case::conflictsNeedAttention:
            return "conflictsNeedAttention";
        case SyncEngineStatus::Case::syncing:
            return "syncing";
    }
    return "idle";
}

}  // namespace zelvorin
