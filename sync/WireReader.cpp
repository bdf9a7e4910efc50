#include "sync/WireReader.h"

#include <cmath>

#include "sync/SyncDecodingError.h"

namespace zelvorin::wire {

std::string WirePath::text() const {
    if (parent_ == nullptr) return {};
    std::string text = parent_->text();
    if (key_.empty()) {
        text += '[' + std::to_string(index_) + ']';
    } else {
        if (!text.empty()) text += '.';
        text += key_;
    }
    return text;
}

void WirePath::fail(std::string problem) const {
    throw SyncDecodingError(text(), std::move(problem));
}

std::optional<std::int64_t> integerOf(const nlohmann::ordered_json& json) {
    using Type = nlohmann::ordered_json::value_t;
    switch (json.type()) {
        case Type::number_integer:
            return json.get<std::int64_t>();
        case Type::number_unsigned: {
            const auto value = json.get<std::uint64_t>();
            if (value > static_cast<std::uint64_t>(INT64_MAX)) return std::nullopt;
            return static_cast<std::int64_t>(value);
        }
        case Type::number_float:
            return integralValue(json.get<double>());
        default:
            return std::nullopt;
    }
}

ObjectReader::ObjectReader(const nlohmann::ordered_json& json, const WirePath& path)
    : json_(json), path_(path) {
    if (!json.is_object()) path.fail("verwacht object");
}

const nlohmann::ordered_json& ObjectReader::require(std::string_view key) const {
    const auto it = json_.find(key);
    if (it == json_.end()) path_.member(key).fail("ontbreekt");
    return *it;
}

const nlohmann::ordered_json* ObjectReader::present(std::string_view key) const {
    const auto it = json_.find(key);
    if (it == json_.end() || it->is_null()) return nullptr;
    return &*it;
}

std::string ObjectReader::requiredString(std::string_view key) const {
    const auto& value = require(key);
    if (!value.is_string()) path_.member(key).fail("verwacht string");
    return value.get<std::string>();
}

std::optional<std::string> ObjectReader::optionalString(std::string_view key) const {
    const auto* value = present(key);
    if (value == nullptr) return std::nullopt;
    if (!value->is_string()) path_.member(key).fail("verwacht string");
    return value->get<std::string>();
}

std::int64_t ObjectReader::requiredInteger(std::string_view key) const {
    const auto integer = integerOf(require(key));
    if (!integer) path_.member(key).fail("verwacht integer");
    return *integer;
}

std::optional<std::int64_t> ObjectReader::optionalInteger(std::string_view key) const {
    const auto* value = present(key);
    if (value == nullptr) return std::nullopt;
    const auto integer = integerOf(*value);
    if (!integer) path_.member(key).fail("verwacht integer");
    return integer;
}

bool ObjectReader::requiredBool(std::string_view key) const {
    const auto& value = require(key);
    if (!value.is_boolean()) path_.member(key).fail("verwacht boolean");
    return value.get<bool>();
}

JSONValue ObjectReader::requiredValue(std::string_view key) const {
    return decodeJSONValue(require(key), path_.member(key));
}

std::optional<std::vector<std::string>> ObjectReader::optionalStrings(std::string_view key) const {
    const auto* value = present(key);
    if (value == nullptr) return std::nullopt;
    const WirePath arrayPath = path_.member(key);
    if (!value->is_array()) arrayPath.fail("verwacht array");
    std::vector<std::string> strings;
    strings.reserve(value->size());
    for (std::size_t i = 0; i < value->size(); ++i) {
        const auto& element = (*value)[i];
        if (!element.is_string()) arrayPath.element(i).fail("verwacht string");
        strings.push_back(element.get<std::string>());
    }
    return strings;
}

nlohmann::ordered_json parseJsonText(std::string_view text) {
    try {
        return nlohmann::ordered_json::parse(text);
    } catch (const nlohmann::ordered_json::parse_error& error) {
        throw SyncDecodingError({}, "ongeldige JSON bij teken " + std::to_string(error.byte));
    } catch (const nlohmann::ordered_json::out_of_range&) {
        // A number beyond the range of a double (1e400) is refused by the parser this way.
        throw SyncDecodingError({}, "getal buiten bereik");
    }
}

}  // namespace zelvorin::wire
