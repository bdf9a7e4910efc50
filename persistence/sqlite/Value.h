#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

namespace zelvorin {

// One SQLite value as stored: NULL, INTEGER, REAL or TEXT.
using SqlValue = std::variant<std::monostate, std::int64_t, double, std::string>;

inline SqlValue sqlValue(std::nullptr_t) {
    return std::monostate{};
}
inline SqlValue sqlValue(std::int64_t v) {
    return v;
}
inline SqlValue sqlValue(int v) {
    return static_cast<std::int64_t>(v);
}
inline SqlValue sqlValue(bool v) {
    return static_cast<std::int64_t>(v ? 1 : 0);
}
inline SqlValue sqlValue(double v) {
    return v;
}
inline SqlValue sqlValue(std::string v) {
    return v;
}
inline SqlValue sqlValue(const char* v) {
    return std::string(v);
}
template <class T>
SqlValue sqlValue(const std::optional<T>& v) {
    return v ? sqlValue(*v) : SqlValue(std::monostate{});
}

}  // namespace zelvorin
