#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

#include "persistence/AppDatabase.h"

namespace zelvorin {

// The user's application-support folder: $ZELVORIN_DATA_DIR when set (tests, several devices on
// one machine), else $XDG_DATA_HOME when absolute, else $HOME/.local/share.
std::filesystem::path applicationSupportDirectory();
// <application support>/Zelvorin/zelvorin.sqlite
std::filesystem::path defaultDatabasePath(const std::filesystem::path& applicationSupport);

// The database cannot be used right now for a reason that is not the file's own fault (no access,
// a full disk, another program holding it, a folder that cannot be made). Nothing was changed;
// what() says so in Dutch.
class DatabaseUnavailableError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct OpenedDatabase {
    AppDatabase database;
    std::filesystem::path path;
    bool inMemory = false;
    // Where an unusable file was kept (with its -wal and -shm beside it under the same name).
    std::optional<std::filesystem::path> movedAside;
};

// Opens the default database. Its folder is the owner's only (0700) and its files too (0600).
//
//   file absent ──────────────────────────────────────────────► created and migrated
//   file read-only probed: usable ──► opened and migrated ──────► ok
//                          from a newer build, not a database, corrupt, incompatible migration
//                            ──► moved aside as zelvorin.sqlite.unreadable-<time> (-wal, -shm
//                                first) ──► a new database, reported through `diagnostic`
//   no access, disk full, busy, I/O error ──► DatabaseUnavailableError, nothing touched
//
// A file from a newer build is only ever read, never opened for writing. Only when even a fresh
// file reports itself damaged does the process run on a database in memory.
OpenedDatabase openDefaultDatabase(const std::filesystem::path& applicationSupport,
                                   const std::function<void(const std::string&)>& diagnostic);

// Moves the database file and its companions to "<file>.unreadable-<utc time>" (companions keep
// their "-wal"/"-shm" suffix after the new name, so SQLite reads the kept copy whole). Companions
// go first: a log left beside a new database would be replayed into it. Returns the new name.
std::filesystem::path moveDatabaseAside(const std::filesystem::path& databaseFile);

}  // namespace zelvorin
