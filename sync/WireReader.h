#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "sync/JSONValue.h"

// Building blocks of the body decoders. Not part of the module's interface.
namespace zelvorin::wire {

// A position in a document being decoded, linked to its parent on the stack, so that nothing is
// allocated unless decoding fails and the path has to be spelled out.
class WirePath {
public:
    WirePath() = default;

    WirePath member(std::string_view key) const { return WirePath(this, key, 0); }
    WirePath element(std::size_t index) const { return WirePath(this, {}, index); }

    std::size_t depth() const { return depth_; }
    std::string text() const;
    [[noreturn]] void fail(std::string problem) const;

private:
    WirePath(const WirePath* parent, std::string_view key, std::size_t index)
        : parent_(parent), key_(key), index_(index), depth_(parent->depth_ + 1) {}

    const WirePath* parent_ = nullptr;
    std::string_view key_;  // empty for an array element
    std::size_t index_ = 0;
    std::size_t depth_ = 0;
};

// Values nested deeper than this are refused rather than risking the stack on hostile input.
inline constexpr std::size_t kMaxNestingDepth = 256;

JSONValue decodeJSONValue(const nlohmann::ordered_json& json, const WirePath& path);

// The integer test of the wire: integral numbers of any JSON number kind within 64 bits.
std::optional<std::int64_t> integerOf(const nlohmann::ordered_json& json);

// Reads the members of one JSON object; each accessor fails with the member's path when the member
// is absent (required ones only) or of another JSON type. Absent and null are the same for optional
// members. Unknown members are ignored.
class ObjectReader {
public:
    ObjectReader(const nlohmann::ordered_json& json, const WirePath& path);

    std::string requiredString(std::string_view key) const;
    std::optional<std::string> optionalString(std::string_view key) const;
    std::int64_t requiredInteger(std::string_view key) const;
    std::optional<std::int64_t> optionalInteger(std::string_view key) const;
    bool requiredBool(std::string_view key) const;
    JSONValue requiredValue(std::string_view key) const;  // null is a value here
    std::optional<std::vector<std::string>> optionalStrings(std::string_view key) const;

    // `parse` maps a raw value to the enumeration; an unknown one fails the body.
    template <class Enum, class Parse>
    Enum requiredEnum(std::string_view key, Parse parse) const {
        const std::string raw = requiredString(key);
        if (auto value = parse(raw)) return *value;
        path_.member(key).fail("onbekende waarde \"" + raw + "\"");
    }

    // Decodes every element of a required array with decode(elementJson, elementPath).
    template <class Element, class Decode>
    std::vector<Element> requiredArray(std::string_view key, Decode decode) const {
        const nlohmann::ordered_json& array = require(key);
        const WirePath arrayPath = path_.member(key);
        if (!array.is_array()) arrayPath.fail("verwacht array");
        std::vector<Element> elements;
        elements.reserve(array.size());
        for (std::size_t i = 0; i < array.size(); ++i)
            elements.push_back(decode(array[i], arrayPath.element(i)));
        return elements;
    }

private:
    const nlohmann::ordered_json& require(std::string_view key) const;
    const nlohmann::ordered_json* present(std::string_view key) const;  // null for absent or null

    const nlohmann::ordered_json& json_;
    const WirePath& path_;
};

// Parses JSON text, turning a syntax error into a decoding error at the root.
nlohmann::ordered_json parseJsonText(std::string_view text);

}  // namespace zelvorin::wire
