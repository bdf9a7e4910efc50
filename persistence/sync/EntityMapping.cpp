#include "persistence/sync/EntityMapping.h"

#include <stdexcept>

namespace zelvorin {
namespace {

std::vector<EntityMapping> makeMappings() {
    std::vector<EntityMapping> mappings;
    for (const SyncEntityType type : kAllSyncEntityTypes) {
        const TableDescription* table = Schema::shared().tableOfEntity(rawValue(type));
        if (!table) throw std::logic_error("no table for entity type " + std::string(rawValue(type)));
        mappings.push_back({type, table->name, table->syncColumns(), table->isLocallyEdited()});
    }
    return mappings;
}

}  // namespace

const std::vector<EntityMapping>& entityMappings() {
    static const std::vector<EntityMapping> mappings = makeMappings();
    return mappings;
}

const EntityMapping* entityMapping(SyncEntityType type) {
    const auto& mappings = entityMappings();
    const auto index = static_cast<std::size_t>(type);
    return index < mappings.size() ? &mappings[index] : nullptr;
}

}  // namespace zelvorin
