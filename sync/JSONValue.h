#pragma once

#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include <nlohmann/json.hpp>

namespace zelvorin {

class JSONValue;

// The members of a JSON object in the order they were added (for decoded JSON: the order of the
// text), so a payload written by the store goes out with its keys as it was recorded. Keys are
// unique: set() replaces. Equality ignores the order, as JSON objects are unordered.
class JSONObject {
public:
    using Member = std::pair<std::string, JSONValue>;

    JSONObject() = default;
    JSONObject(std::initializer_list<Member> members);

    std::size_t size() const;
    bool empty() const;
    std::vector<Member>::const_iterator begin() const;
    std::vector<Member>::const_iterator end() const;

    const JSONValue* find(std::string_view key) const;
    bool contains(std::string_view key) const { return find(key) != nullptr; }
    void set(std::string key, JSONValue value);
    bool erase(std::string_view key);

    // For decoders that know their keys are unique already; skips the duplicate check.
    void appendUnique(std::string key, JSONValue value);
    void reserve(std::size_t count);

    bool operator==(const JSONObject& other) const;

private:
    std::vector<Member> members_;
};

// A JSON document of any kind; what a record payload travels as. Numbers are doubles: whole
// numbers up to 2^53 are exact, and a whole number encodes back without a fraction (12, not
// 12.0). Decoding tries null, boolean, number, string, array, object in that order; anything else
// (binary or discarded values of the JSON library) is the decoding error "Onbekend JSON-type".
class JSONValue {
public:
    using Array = std::vector<JSONValue>;
    using Object = JSONObject;

    // The cases in declared order; the index of each in the value.
    enum class Kind { string, number, boolean, array, object, null };

    JSONValue() : value_(nullptr) {}
    JSONValue(std::nullptr_t) : value_(nullptr) {}
    JSONValue(std::string text) : value_(std::move(text)) {}
    JSONValue(std::string_view text) : value_(std::string(text)) {}
    JSONValue(const char* text) : value_(std::string(text)) {}
    JSONValue(double number) : value_(number) {}
    template <std::integral Integer>
    requires(!std::same_as<Integer, bool>) JSONValue(Integer number) : value_(static_cast<double>(number)) {}
    JSONValue(bool flag) : value_(flag) {}
    template <class Pointee>
    JSONValue(Pointee*) = delete;  // would otherwise become a bool
    JSONValue(Array elements) : value_(std::move(elements)) {}
    JSONValue(Object members) : value_(std::move(members)) {}

    static JSONValue array(std::initializer_list<JSONValue> elements = {}) { return Array(elements); }
    static JSONValue object(std::initializer_list<JSONObject::Member> members = {}) {
        return JSONObject(members);
    }

    Kind kind() const { return static_cast<Kind>(value_.index()); }
    bool isNull() const { return kind() == Kind::null; }

    // The value of one case, or null / nothing when the value is of another case.
    const std::string* asString() const { return std::get_if<std::string>(&value_); }
    std::optional<double> asNumber() const;
    std::optional<bool> asBool() const;
    const Array* asArray() const { return std::get_if<Array>(&value_); }
    const Object* asObject() const { return std::get_if<Object>(&value_); }
    Array* asArray() { return std::get_if<Array>(&value_); }
    Object* asObject() { return std::get_if<Object>(&value_); }

    // A number without fraction within the 64-bit range; nothing for any other value.
    std::optional<std::int64_t> asInteger() const;

    // The member of an object, or null when this is no object or has no such key.
    const JSONValue* find(std::string_view key) const;

    nlohmann::ordered_json toJson() const;
    static JSONValue fromJson(const nlohmann::ordered_json& json);  // throws SyncDecodingError

    std::string dump() const { return toJson().dump(); }
    static JSONValue parse(std::string_view text);  // throws SyncDecodingError

    bool operator==(const JSONValue& other) const { return value_ == other.value_; }

private:
    std::variant<std::string, double, bool, Array, Object, std::nullptr_t> value_;
};

// Defined once JSONValue is complete: clang refuses to instantiate a vector of pairs of an
// incomplete type inside JSONObject's own definition.
inline std::size_t JSONObject::size() const {
    return members_.size();
}
inline bool JSONObject::empty() const {
    return members_.empty();
}
inline std::vector<JSONObject::Member>::const_iterator JSONObject::begin() const {
    return members_.begin();
}
inline std::vector<JSONObject::Member>::const_iterator JSONObject::end() const {
    return members_.end();
}
inline void JSONObject::reserve(std::size_t count) {
    members_.reserve(count);
}

// A whole number within the 64-bit range, the test every "integer" member of the wire passes.
std::optional<std::int64_t> integralValue(double number);

}  // namespace zelvorin
