#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace zelvorin {

// The sync state of a row of a locally edited table (raw value = case name, column `sync_state`).
//
//   (none) --local create--> localOnly --local update--> localOnly
//   synced/conflict/failed --local update--> pendingUpload --local update--> pendingUpload
//   any --local delete--> tombstoned
//   localOnly/pendingUpload/tombstoned --accepted, nothing else queued--> synced
//   any --push conflict--> conflict
//   localOnly/pendingUpload/tombstoned --pulled create/update--> conflict (pulled values dropped)
//   (none)/synced/conflict/failed --pulled create/update--> synced
//
// `failed` is a declared value that no transition produces. Rows of server-owned tables are
// always `synced`.
enum class SyncState {
    localOnly,
    pendingUpload,
    synced,
    conflict,
    failed,
    tombstoned,
};

inline constexpr std::array<SyncState, 6> kAllSyncStates{SyncState::localOnly, SyncState::pendingUpload,
                                                         SyncState::synced,    SyncState::conflict,
                                                         SyncState::failed,    SyncState::tombstoned};

std::string_view rawValue(SyncState state);
std::optional<SyncState> parseSyncState(std::string_view raw);

}  // namespace zelvorin
