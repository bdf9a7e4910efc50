#pragma once

#include <string>
#include <string_view>

#include "persistence/sqlite/Connection.h"
#include "sync/SyncState.h"

namespace zelvorin {

// SQL's way to the one table of sync-state transitions (sync/SyncState.h), so that a statement
// can move rows without reading their states first:
//   UPDATE t SET sync_state = sync_transition(sync_state, 'pushConflict') WHERE id = ?
// A transition the table refuses fails the statement, and with it the write it is part of.
void defineSyncTransitions(Connection& connection);

// "sync_transition(sync_state, '<event>')", the new state of the row the statement touches.
std::string stateAfterSql(SyncEvent event);

// The state text a record write stores: the transition from the record's stored state (`current`,
// empty for a new row). Throws std::logic_error for an unknown state or a refused transition.
std::string stateAfter(std::string_view current, SyncEvent event);

}  // namespace zelvorin
