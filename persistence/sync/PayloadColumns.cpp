#include "persistence/sync/PayloadColumns.h"

#include <stdexcept>

namespace zelvorin {

SqlValue columnValue(const JSONValue& value) {
    switch (value.kind()) {
        case JSONValue::Kind::string:
            return *value.asString();
        case JSONValue::Kind::number: {
            const double number = *value.asNumber();
            if (const auto whole = integralValue(number)) return *whole;
            return number;
        }
        case JSONValue::Kind::boolean:
            return std::int64_t{*value.asBool() ? 1 : 0};
        case JSONValue::Kind::null:
            return std::monostate{};
        case JSONValue::Kind::array:
        case JSONValue::Kind::object:
            return value.dump();
    }
    return std::monostate{};
}

PayloadColumns payloadColumns(const EntityMapping& mapping, const JSONObject& payload) {
    if (mapping.columns.size() > 64) throw std::logic_error("more columns than the shape mask holds");
    PayloadColumns result;
    result.values.reserve(payload.size());
    for (std::size_t i = 0; i < mapping.columns.size(); ++i) {
        const JSONValue* value = payload.find(mapping.columns[i].json);
        if (!value) continue;
        result.present |= std::uint64_t{1} << i;
        result.values.push_back(columnValue(*value));
    }
    return result;
}

}  // namespace zelvorin
