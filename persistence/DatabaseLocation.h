#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "persistence/AppDatabase.h"

namespace zelvorin {

// The user's application-support folder: $ZELVORIN_DATA_DIR when set (tests, several devices on
// one machine), else $XDG_DATA_HOME when absolute, else $HOME/.local/share.
std::filesystem::path applicationSupportDirectory();
// <application support>/Zelvorin/zelvorin.sqlite
std::filesystem::path defaultDatabasePath(const std::filesystem::path& applicationSupport);

struct OpenedDatabase {
    AppDatabase database;
    std::filesystem::path path;
    bool inMemory = false;
};

// Opens the default database without ever failing: a file that cannot be opened or migrated is
// removed and created again; if even that fails the process runs on a database in memory. Each
// fallback is reported through `diagnostic` in Dutch.
OpenedDatabase openDefaultDatabase(const std::filesystem::path& applicationSupport,
                                   const std::function<void(const std::string&)>& diagnostic);

}  // namespace zelvorin
