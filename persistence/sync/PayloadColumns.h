#pragma once

#include <cstdint>
#include <vector>

#include "persistence/sqlite/Value.h"
#include "persistence/sync/EntityMapping.h"
#include "sync/JSONValue.h"

namespace zelvorin {

// The column values a pulled payload carries, in mapping order: bit i of `present` is set when
// the payload has the key of the mapping's i-th column, and `values` holds those columns' values.
struct PayloadColumns {
    std::uint64_t present = 0;
    std::vector<SqlValue> values;
};

// Keys the mapping does not know are ignored. A string is TEXT; a number without fraction within
// the 64-bit range INTEGER, any other number REAL; a boolean 1 or 0; null NULL; an array or
// object its JSON text.
PayloadColumns payloadColumns(const EntityMapping& mapping, const JSONObject& payload);
SqlValue columnValue(const JSONValue& value);

}  // namespace zelvorin
