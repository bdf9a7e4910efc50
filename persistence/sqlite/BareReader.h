#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "persistence/sqlite/SqliteHandles.h"
#include "persistence/sqlite/Value.h"

namespace zelvorin {

// What the database layer is measured against: a statement prepared, bound, stepped with every
// column read as the type it has, and finalised, through the bare SQLite C API on a read-only
// connection of its own (no authorizer, no statement cache, no table tracking). For benchmarks
// only; everything else goes through Connection.
class BareReader {
public:
    struct Run {
        std::size_t rows = 0;
        std::size_t bytes = 0;  // the text read plus one per non-zero integer, so nothing is optimised away
    };

    // Throws SqliteError when the file cannot be opened.
    explicit BareReader(const std::filesystem::path& path);

    // Throws SqliteError when the statement cannot be prepared or a step fails.
    Run run(const std::string& sql, const std::vector<SqlValue>& arguments) const;

private:
    DatabaseHandle db_;
};

}  // namespace zelvorin
