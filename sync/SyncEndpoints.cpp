#include "sync/SyncEndpoints.h"

namespace zelvorin {

std::string joinEntityTypes(std::span<const SyncEntityType> entityTypes) {
    std::string joined;
    for (SyncEntityType type : entityTypes) {
        if (!joined.empty()) joined += ',';
        joined += rawValue(type);
    }
    return joined;
}

std::vector<std::string> splitEntityTypeList(std::string_view joined) {
    std::vector<std::string> parts;
    while (!joined.empty()) {
        const std::size_t comma = joined.find(',');
        const std::string_view part = joined.substr(0, comma);
        if (!part.empty()) parts.emplace_back(part);
        if (comma == std::string_view::npos) break;
        joined.remove_prefix(comma + 1);
    }
    return parts;
}

QueryItems pullQueryItems(const std::optional<std::string>& cursor, int limit,
                          std::span<const SyncEntityType> entityTypes) {
    QueryItems items;
    items.emplace_back("limit", std::to_string(limit));
    if (cursor) items.emplace_back("cursor", *cursor);
    if (!entityTypes.empty()) items.emplace_back("entityTypes", joinEntityTypes(entityTypes));
    return items;
}

}  // namespace zelvorin
