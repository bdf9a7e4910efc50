#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "sync/SyncEntityType.h"

namespace zelvorin {

// The JSON type a payload member must have. The enumeration-typed strings must also be one of the
// raw values of their enumeration.
enum class PayloadValueType {
    string,
    vatTreatment,  // string, a VatTreatment raw value
    lineMode,      // string, a LineMode raw value
    syncState,     // string, a SyncState raw value
    integer,       // a number without fraction, within 64 bits
    boolean,
    object,       // an object of the field's nested shape
    objectArray,  // an array of objects of the field's nested shape
    any,          // any JSON value, kept by the store as JSON text
};

struct PayloadShape;

// One member of a payload shape. "optional" means the key may be absent or null.
struct PayloadField {
    std::string_view key;
    PayloadValueType type;
    bool optional;
    const PayloadShape* nested = nullptr;  // for object and objectArray
};

// A payload shape: its members in declaration order, and the same members ordered by key
// (`byKey` holds indexes into `fields`) for look-ups.
struct PayloadShape {
    std::string_view name;
    std::span<const PayloadField> fields;
    std::span<const std::uint8_t> byKey;

    const PayloadField* field(std::string_view key) const;
    std::ptrdiff_t indexOf(std::string_view key) const;  // -1 when the shape has no such member
};

// The shape of the payload of each entity type.
const PayloadShape& payloadShape(SyncEntityType type);

// Every shape: the twenty of the entity types in their order, then the three that occur only
// nested (InvoiceSnapshotPayload, ScheduleLinePayload, WorkdayConfig).
std::span<const PayloadShape* const> allPayloadShapes();

// "string", "integer", "boolean", "object", "array" or "any": the name used in violations.
std::string_view jsonTypeName(PayloadValueType type);

}  // namespace zelvorin
