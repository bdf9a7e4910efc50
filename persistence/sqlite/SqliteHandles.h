#pragma once

#include "domain/UniqueHandle.h"

struct sqlite3;
struct sqlite3_stmt;

namespace zelvorin {

// The owners of SQLite's two handles. The release functions are defined beside the layer, so
// that sqlite3.h stays out of the headers the rest of the program includes.
void closeDatabase(sqlite3* db) noexcept;             // sqlite3_close_v2: waits for open statements
void finalizeStatement(sqlite3_stmt* stmt) noexcept;  // sqlite3_finalize

using DatabaseHandle = UniqueHandle<sqlite3*, closeDatabase>;
using StatementHandle = UniqueHandle<sqlite3_stmt*, finalizeStatement>;

}  // namespace zelvorin
