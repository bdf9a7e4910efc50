#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "persistence/sqlite/Statement.h"

namespace zelvorin {

// How the generated records read one column. A NULL in a required column reads as the empty or
// zero value rather than failing: the record mirrors what is stored.
inline void readText(const Statement& row, int i, std::string& field) {
    field = row.text(i);
}
inline void readOptionalText(const Statement& row, int i, std::optional<std::string>& field) {
    field = row.optionalText(i);
}
inline void readInteger(const Statement& row, int i, std::int64_t& field) {
    field = row.int64(i);
}
inline void readOptionalInteger(const Statement& row, int i, std::optional<std::int64_t>& field) {
    field = row.optionalInt64(i);
}
inline void readBoolean(const Statement& row, int i, bool& field) {
    field = row.int64(i) != 0;
}
inline void readOptionalBoolean(const Statement& row, int i, std::optional<bool>& field) {
    field = row.isNull(i) ? std::nullopt : std::optional<bool>(row.int64(i) != 0);
}
inline void readOptionalReal(const Statement& row, int i, std::optional<double>& field) {
    field = row.isNull(i) ? std::nullopt : std::optional<double>(row.real(i));
}

}  // namespace zelvorin
