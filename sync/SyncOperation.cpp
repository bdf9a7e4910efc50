#include "sync/SyncOperation.h"

namespace zelvorin {

std::string_view rawValue(SyncOperation operation) {
    switch (operation) {
        case SyncOperation::create:
            return "create";
        case SyncOperation::update:
            return "update";
        case SyncOperation::remove:
            return "delete";
    }
    return "update";
}

std::optional<SyncOperation> parseSyncOperation(std::string_view raw) {
    for (SyncOperation operation : kAllSyncOperations) {
        if (rawValue(operation) == raw) return operation;
    }
    return std::nullopt;
}

}  // namespace zelvorin
