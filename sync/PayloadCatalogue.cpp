#include "sync/PayloadCatalogue.h"

#include <algorithm>
#include <vector>

#include "sync/PayloadShapeTable.h"

// The shapes themselves are generated from the schema description (sync/generated/
// PayloadShapes.cpp); this file holds what is done with them.
namespace zelvorin {

namespace {

using T = PayloadValueType;

}  // namespace

std::ptrdiff_t PayloadShape::indexOf(std::string_view key) const {
    const auto it =
        std::lower_bound(byKey.begin(), byKey.end(), key,
                         [&](std::uint8_t index, std::string_view k) { return fields[index].key < k; });
    if (it == byKey.end() || fields[*it].key != key) return -1;
    return *it;
}

const PayloadField* PayloadShape::field(std::string_view key) const {
    const std::ptrdiff_t index = indexOf(key);
    return index < 0 ? nullptr : &fields[static_cast<std::size_t>(index)];
}

std::span<const PayloadShape* const> allPayloadShapes() {
    static const std::vector<const PayloadShape*> shapes = [] {
        std::vector<const PayloadShape*> all;
        for (const SyncEntityType type : kAllSyncEntityTypes)
            all.push_back(&payloadShape(type));
        const auto nested = nestedPayloadShapes();
        all.insert(all.end(), nested.begin(), nested.end());
        return all;
    }();
    return shapes;
}

std::string_view jsonTypeName(PayloadValueType type) {
    switch (type) {
        case T::string:
        case T::vatTreatment:
        case T::lineMode:
        case T::syncState:
            return "string";
        case T::integer:
            return "integer";
        case T::boolean:
            return "boolean";
        case T::object:
            return "object";
        case T::objectArray:
            return "array";
        case T::any:
            return "any";
    }
    return "any";
}

}  // namespace zelvorin
