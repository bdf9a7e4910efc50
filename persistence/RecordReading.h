#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "persistence/sqlite/SqliteError.h"
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

// A stored raw value outside the enumeration is a row this build cannot represent; it fails like
// any other unreadable row instead of turning into some other case.
template <class E>
void readEnum(const Statement& row, int i, E& field, std::optional<E> (*parse)(std::string_view)) {
    std::string raw = row.text(i);
    std::optional<E> value = parse(raw);
    if (!value) {
        throw SqliteError(SQLITE_MISMATCH,
                          "onbekende waarde '" + raw + "' in kolom " + std::string(row.columnName(i)));
    }
    field = *value;
}

}  // namespace zelvorin
