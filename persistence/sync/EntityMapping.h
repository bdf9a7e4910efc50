#pragma once

#include <optional>
#include <string>
#include <vector>

#include "persistence/Schema.h"
#include "sync/SyncEntityType.h"

namespace zelvorin {

// How one kind of syncable record lies in its table: the table, and every column it exchanges with
// the service with the payload key that fills it (from the one schema description). Server-owned
// tables are the synced ones without a last_sync_error column.
struct EntityMapping {
    SyncEntityType entityType;
    std::string table;
    std::vector<SyncColumn> columns;  // table order; `id` among them
    bool locallyEdited = false;
};

// The mapping of an entity type, or null for a type this database has no table for.
const EntityMapping* entityMapping(SyncEntityType type);
// All twenty, in the entity types' declared order.
const std::vector<EntityMapping>& entityMappings();

}  // namespace zelvorin
