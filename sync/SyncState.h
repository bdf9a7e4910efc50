#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace zelvorin {

// The sync state of a row of a locally edited table (raw value = case name, column `sync_state`),
// and what moves it. Every change of the column goes through syncTransition(), which refuses
// whatever this drawing does not show.
//
//                          local create
//   (no row) ----------------------------------------------> localOnly --local update--> localOnly
//   synced/conflict/failed/pendingUpload --local update--> pendingUpload
//   any row --local delete--> tombstoned          (a tombstoned row takes no update)
//   any row --push accepted, nothing else queued--> synced   (revision = the server's)
//   any row --push conflict--> conflict
//   localOnly/pendingUpload/tombstoned --pulled create/update--> conflict (pulled values dropped)
//   (no row)/synced/conflict/failed --pulled create/update--> synced (pulled values applied)
//   pendingUpload/synced/conflict/failed --keep local version--> pendingUpload
//   pendingUpload/synced/conflict/failed --discard local changes--> synced
//
// An accepted push with later changes still queued leaves the state alone, and a pulled delete
// removes the row: neither is a transition. `failed` is a declared value that no transition
// produces. Rows of server-owned tables are always `synced` (pulled, or accepted).
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

enum class SyncEvent {
    localCreate,
    localUpdate,
    localDelete,
    pushAccepted,
    pushConflict,
    pulledChange,
    keepLocalVersion,
    discardLocalChanges,
};

inline constexpr std::array<SyncEvent, 8> kAllSyncEvents{
    SyncEvent::localCreate,      SyncEvent::localUpdate,        SyncEvent::localDelete,
    SyncEvent::pushAccepted,     SyncEvent::pushConflict,       SyncEvent::pulledChange,
    SyncEvent::keepLocalVersion, SyncEvent::discardLocalChanges};

std::string_view rawValue(SyncEvent event);
std::optional<SyncEvent> parseSyncEvent(std::string_view raw);

// The state after `event` for a row in state `from` (nothing: there is no row yet), or nothing
// when the drawing above has no such arrow.
std::optional<SyncState> syncTransition(std::optional<SyncState> from, SyncEvent event);

// The same for a transition the caller relies on: one the drawing does not show throws
// std::logic_error naming state and event (the write it was part of is rolled back).
SyncState requireSyncTransition(std::optional<SyncState> from, SyncEvent event);

}  // namespace zelvorin
