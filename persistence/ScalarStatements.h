#pragma once

#include <cstdint>
#include <string>

#include "persistence/sqlite/Connection.h"

namespace zelvorin {

// The single number of a "SELECT COUNT(*) …" query. The statement is reset before returning: a
// cached statement left on its row would hold its read snapshot past the transaction.
template <class... Args>
std::int64_t countRows(Connection& connection, const std::string& sql, const Args&... arguments) {
    Statement& count = connection.cached(sql);
    count.bindAll(arguments...);
    const std::int64_t n = count.step() ? count.int64(0) : 0;
    count.reset();
    return n;
}

// Runs an UPDATE or DELETE and returns how many rows it changed.
template <class... Args>
std::int64_t changeRows(Connection& connection, const std::string& sql, const Args&... arguments) {
    connection.cached(sql).bindAll(arguments...).run();
    return connection.changes();
}

}  // namespace zelvorin
