#include "sync/JSONValue.h"

#include <algorithm>
#include <cmath>

#include "sync/SyncDecodingError.h"
#include "sync/WireReader.h"

namespace zelvorin {

namespace {

// 2^63: the first double past the 64-bit integer range (every double below it that is whole fits).
constexpr double kTwoTo63 = 9223372036854775808.0;

}  // namespace

std::optional<std::int64_t> integralValue(double number) {
    if (!std::isfinite(number) || std::trunc(number) != number) return std::nullopt;
    if (number < -kTwoTo63 || number >= kTwoTo63) return std::nullopt;
    return static_cast<std::int64_t>(number);
}

JSONObject::JSONObject(std::initializer_list<Member> members) {
    members_.reserve(members.size());
    for (const Member& member : members)
        set(member.first, member.second);
}

const JSONValue* JSONObject::find(std::string_view key) const {
    for (const Member& member : members_) {
        if (member.first == key) return &member.second;
    }
    return nullptr;
}

void JSONObject::set(std::string key, JSONValue value) {
    for (Member& member : members_) {
        if (member.first == key) {
            member.second = std::move(value);
            return;
        }
    }
    members_.emplace_back(std::move(key), std::move(value));
}

bool JSONObject::erase(std::string_view key) {
    const auto it =
        std::find_if(members_.begin(), members_.end(), [&](const Member& m) { return m.first == key; });
    if (it == members_.end()) return false;
    members_.erase(it);
    return true;
}

void JSONObject::appendUnique(std::string key, JSONValue value) {
    members_.emplace_back(std::move(key), std::move(value));
}

bool JSONObject::operator==(const JSONObject& other) const {
    if (members_.size() != other.members_.size()) return false;
    return std::all_of(members_.begin(), members_.end(), [&](const Member& member) {
        const JSONValue* theirs = other.find(member.first);
        return theirs != nullptr && *theirs == member.second;
    });
}

std::optional<double> JSONValue::asNumber() const {
    if (const double* number = std::get_if<double>(&value_)) return *number;
    return std::nullopt;
}

std::optional<bool> JSONValue::asBool() const {
    if (const bool* flag = std::get_if<bool>(&value_)) return *flag;
    return std::nullopt;
}

std::optional<std::int64_t> JSONValue::asInteger() const {
    if (const double* number = std::get_if<double>(&value_)) return integralValue(*number);
    return std::nullopt;
}

const JSONValue* JSONValue::find(std::string_view key) const {
    const Object* object = asObject();
    return object == nullptr ? nullptr : object->find(key);
}

namespace {

nlohmann::ordered_json numberJson(double number) {
    // A whole number goes out as an integer so that 12 stays "12"; -0.0 keeps its sign as a float.
    if (const auto integer = integralValue(number); integer && !(number == 0 && std::signbit(number))) {
        return *integer;
    }
    return number;
}

}  // namespace

nlohmann::ordered_json JSONValue::toJson() const {
    switch (kind()) {
        case Kind::string:
            return *asString();
        case Kind::number:
            return numberJson(std::get<double>(value_));
        case Kind::boolean:
            return std::get<bool>(value_);
        case Kind::array: {
            nlohmann::ordered_json array = nlohmann::ordered_json::array();
            for (const JSONValue& element : *asArray())
                array.push_back(element.toJson());
            return array;
        }
        case Kind::object: {
            nlohmann::ordered_json object = nlohmann::ordered_json::object();
            for (const auto& [key, value] : *asObject())
                object.emplace(key, value.toJson());
            return object;
        }
        case Kind::null:
            break;
    }
    return nullptr;
}

JSONValue JSONValue::fromJson(const nlohmann::ordered_json& json) {
    return wire::decodeJSONValue(json, {});
}

JSONValue JSONValue::parse(std::string_view text) {
    return fromJson(wire::parseJsonText(text));
}

namespace wire {

JSONValue decodeJSONValue(const nlohmann::ordered_json& json, const WirePath& path) {
    if (path.depth() > kMaxNestingDepth) path.fail("te diep genest");
    if (json.is_null()) return nullptr;
    if (json.is_boolean()) return json.get<bool>();
    if (json.is_number()) return json.get<double>();
    if (json.is_string()) return json.get<std::string>();
    if (json.is_array()) {
        JSONValue::Array elements;
        elements.reserve(json.size());
        for (std::size_t i = 0; i < json.size(); ++i)
            elements.push_back(decodeJSONValue(json[i], path.element(i)));
        return elements;
    }
    if (json.is_object()) {
        JSONObject object;
        object.reserve(json.size());
        for (const auto& [key, value] : json.items()) {
            object.appendUnique(key, decodeJSONValue(value, path.member(key)));
        }
        return object;
    }
    path.fail("Onbekend JSON-type");
}

}  // namespace wire

}  // namespace zelvorin
