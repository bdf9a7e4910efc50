#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "sync/PayloadCatalogue.h"

// What the generated catalogue (sync/generated/PayloadShapes.cpp, written from the schema
// description by zelvorin-record-codegen) is made of.
namespace zelvorin {

namespace payload_table {

constexpr PayloadField req(std::string_view key, PayloadValueType type,
                           const PayloadShape* nested = nullptr) {
    return {key, type, false, nested};
}
constexpr PayloadField opt(std::string_view key, PayloadValueType type,
                           const PayloadShape* nested = nullptr) {
    return {key, type, true, nested};
}

// The members' indexes sorted by key; a duplicate key or a shape too large for the validator's
// bit set fails the build.
template <std::size_t N>
constexpr std::array<std::uint8_t, N> keyOrder(const PayloadField (&fields)[N]) {
    static_assert(N <= 64, "the validator tracks members in a 64-bit set");
    std::array<std::uint8_t, N> order{};
    for (std::size_t i = 0; i < N; ++i)
        order[i] = static_cast<std::uint8_t>(i);
    std::sort(order.begin(), order.end(),
              [&](std::uint8_t a, std::uint8_t b) { return fields[a].key < fields[b].key; });
    for (std::size_t i = 1; i < N; ++i) {
        if (fields[order[i - 1]].key == fields[order[i]].key) throw "duplicate key in a payload shape";
    }
    return order;
}

}  // namespace payload_table

// The shapes that occur only nested, in the description's order (defined by the generated file).
std::span<const PayloadShape* const> nestedPayloadShapes();

}  // namespace zelvorin
