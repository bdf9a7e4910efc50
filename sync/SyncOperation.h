#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace zelvorin {

// What a queued or pulled change does to its record; raw value = case name.
enum class SyncOperation {
    create,
    update,
    remove,  // raw value "delete" (a C++ keyword)
};

inline constexpr std::array<SyncOperation, 3> kAllSyncOperations{SyncOperation::create, SyncOperation::update,
                                                                 SyncOperation::remove};

std::string_view rawValue(SyncOperation operation);
std::optional<SyncOperation> parseSyncOperation(std::string_view raw);

}  // namespace zelvorin
