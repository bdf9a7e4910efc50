#include "sync/PayloadValidator.h"

#include <cstdint>
#include <string_view>

#include "domain/LineMode.h"
#include "domain/VatTreatment.h"
#include "sync/SyncState.h"

namespace zelvorin {

namespace {

// The validator reads JSONValue and both documents of the JSON library through these few
// functions, so a payload is checked in place whichever form it arrives in.

bool isNullValue(const JSONValue& value) {
    return value.isNull();
}
const std::string* stringOf(const JSONValue& value) {
    return value.asString();
}
bool isIntegral(const JSONValue& value) {
    return value.asInteger().has_value();
}
bool isBoolean(const JSONValue& value) {
    return value.kind() == JSONValue::Kind::boolean;
}
bool isArray(const JSONValue& value) {
    return value.kind() == JSONValue::Kind::array;
}
bool isObject(const JSONValue& value) {
    return value.kind() == JSONValue::Kind::object;
}

template <class Visit>
void forEachElement(const JSONValue& array, Visit visit) {
    std::size_t index = 0;
    for (const JSONValue& element : *array.asArray())
        visit(index++, element);
}

template <class Visit>
void forEachMember(const JSONValue& object, Visit visit) {
    for (const auto& [key, value] : *object.asObject())
        visit(std::string_view(key), value);
}

template <class Json>
concept JsonDocument = nlohmann::detail::is_basic_json<Json>::value;

template <JsonDocument Json>
bool isNullValue(const Json& value) {
    return value.is_null();
}
template <JsonDocument Json>
const std::string* stringOf(const Json& value) {
    return value.is_string() ? &value.template get_ref<const std::string&>() : nullptr;
}
template <JsonDocument Json>
bool isIntegral(const Json& value) {
    using Type = nlohmann::detail::value_t;
    switch (value.type()) {
        case Type::number_integer:
            return true;
        case Type::number_unsigned:
            return value.template get<std::uint64_t>() <= static_cast<std::uint64_t>(INT64_MAX);
        case Type::number_float:
            return integralValue(value.template get<double>()).has_value();
        default:
            return false;
    }
}
template <JsonDocument Json>
bool isBoolean(const Json& value) {
    return value.is_boolean();
}
template <JsonDocument Json>
bool isArray(const Json& value) {
    return value.is_array();
}
template <JsonDocument Json>
bool isObject(const Json& value) {
    return value.is_object();
}
template <JsonDocument Json, class Visit>
void forEachElement(const Json& array, Visit visit) {
    for (std::size_t index = 0; index < array.size(); ++index)
        visit(index, array[index]);
}
template <JsonDocument Json, class Visit>
void forEachMember(const Json& object, Visit visit) {
    for (auto it = object.begin(); it != object.end(); ++it)
        visit(std::string_view(it.key()), it.value());
}

// Puts `head` (a key or "[i]") in front of a violation found inside that member.
PayloadViolation under(std::string head, PayloadViolation violation) {
    if (!violation.path.empty()) {
        if (violation.path.front() != '[') head += '.';
        head += violation.path;
    }
    violation.path = std::move(head);
    return violation;
}

PayloadViolation wrongType(const PayloadField& field) {
    return {{}, "verwacht " + std::string(jsonTypeName(field.type))};
}

PayloadViolation unknownValue(const std::string& raw) {
    return {{}, "onbekende waarde \"" + raw + "\""};
}

template <class Value>
std::optional<PayloadViolation> checkObject(const PayloadShape& shape, const Value& value,
                                            PayloadCoverage coverage);

template <class Parse, class Value>
std::optional<PayloadViolation> checkRawValue(const PayloadField& field, const Value& value, Parse parse) {
    const std::string* text = stringOf(value);
    if (text == nullptr) return wrongType(field);
    if (!parse(*text)) return unknownValue(*text);
    return std::nullopt;
}

// A present, non-null member against its field; the violation's path is relative to the member.
template <class Value>
std::optional<PayloadViolation> checkMember(const PayloadField& field, const Value& value) {
    switch (field.type) {
        case PayloadValueType::string:
            if (stringOf(value) == nullptr) return wrongType(field);
            return std::nullopt;
        case PayloadValueType::vatTreatment:
            return checkRawValue(field, value, parseVatTreatment);
        case PayloadValueType::lineMode:
            return checkRawValue(field, value, parseLineMode);
        case PayloadValueType::syncState:
            return checkRawValue(field, value, parseSyncState);
        case PayloadValueType::integer:
            if (!isIntegral(value)) return wrongType(field);
            return std::nullopt;
        case PayloadValueType::boolean:
            if (!isBoolean(value)) return wrongType(field);
            return std::nullopt;
        case PayloadValueType::object:
            return checkObject(*field.nested, value, PayloadCoverage::complete);
        case PayloadValueType::objectArray: {
            if (!isArray(value)) return wrongType(field);
            std::optional<PayloadViolation> found;
            forEachElement(value, [&](std::size_t index, const auto& element) {
                if (found) return;
                if (auto violation = checkObject(*field.nested, element, PayloadCoverage::complete)) {
                    found = under("[" + std::to_string(index) + "]", std::move(*violation));
                }
            });
            return found;
        }
        case PayloadValueType::any:
            return std::nullopt;
    }
    return std::nullopt;
}

// One pass over the object's members, remembering the earliest declared member that is wrong;
// then the required members declared before it that were not seen. Members usually arrive in
// declaration order, so the next field is tried before the look-up by key.
template <class Value>
std::optional<PayloadViolation> checkObject(const PayloadShape& shape, const Value& value,
                                            PayloadCoverage coverage) {
    if (!isObject(value)) return PayloadViolation{{}, "verwacht object"};
    const std::size_t count = shape.fields.size();
    std::uint64_t seen = 0;
    std::size_t firstWrong = count;
    std::optional<PayloadViolation> wrong;
    std::size_t next = 0;
    forEachMember(value, [&](std::string_view key, const auto& member) {
        std::ptrdiff_t found = next < count && shape.fields[next].key == key
                                   ? static_cast<std::ptrdiff_t>(next)
                                   : shape.indexOf(key);
        if (found < 0) return;
        const auto index = static_cast<std::size_t>(found);
        next = index + 1;
        seen |= std::uint64_t{1} << index;
        if (index >= firstWrong) return;
        const PayloadField& field = shape.fields[index];
        std::optional<PayloadViolation> violation;
        if (isNullValue(member)) {
            if (!field.optional) violation = wrongType(field);
        } else {
            violation = checkMember(field, member);
        }
        if (violation) {
            firstWrong = index;
            wrong = under(std::string(field.key), std::move(*violation));
        }
    });
    if (coverage == PayloadCoverage::complete) {
        for (std::size_t i = 0; i < firstWrong; ++i) {
            const PayloadField& field = shape.fields[i];
            if (!field.optional && (seen & (std::uint64_t{1} << i)) == 0) {
                return PayloadViolation{std::string(field.key), "ontbreekt"};
            }
        }
    }
    return wrong;
}

}  // namespace

std::optional<PayloadViolation> validatePayload(SyncEntityType type, const JSONValue& payload,
                                                PayloadCoverage coverage) {
    return checkObject(payloadShape(type), payload, coverage);
}

std::optional<PayloadViolation> validatePayload(SyncEntityType type, const nlohmann::ordered_json& payload,
                                                PayloadCoverage coverage) {
    return checkObject(payloadShape(type), payload, coverage);
}

std::optional<PayloadViolation> validatePayload(SyncEntityType type, const nlohmann::json& payload,
                                                PayloadCoverage coverage) {
    return checkObject(payloadShape(type), payload, coverage);
}

std::optional<PayloadViolation> validateAgainst(const PayloadShape& shape, const JSONValue& payload,
                                                PayloadCoverage coverage) {
    return checkObject(shape, payload, coverage);
}

}  // namespace zelvorin
