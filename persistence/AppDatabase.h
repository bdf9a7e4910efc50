#pragma once

#include <cstddef>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "persistence/DatabaseWriter.h"
#include "persistence/MigrationRunner.h"

namespace zelvorin {

// The local database of the signed-in organisation: one shared writer, migrated to the current
// schema when opened. Repositories and the sync store hold a copy and run all their SQL through
// `writer`.
struct AppDatabase {
    std::shared_ptr<DatabaseWriter> writer;

    // A pool on the file (created when missing), migrated, then marked as excluded from backups.
    static AppDatabase openFile(const std::filesystem::path& path);
    // Migrates a writer the caller opened.
    static AppDatabase openOnWriter(std::shared_ptr<DatabaseWriter> writer);
    // A private database that lives as long as the process.
    static AppDatabase openInMemory();

    // The same with another migration list (tests: a partial or failing one).
    static AppDatabase openOnWriter(std::shared_ptr<DatabaseWriter> writer, const MigrationRunner& runner,
                                    std::size_t limit = std::numeric_limits<std::size_t>::max());

    std::vector<std::string> appliedMigrations() const;
};

// Marks the database file and its -wal and -shm companions (those that exist) as excluded from
// backups (extended attribute user.xdg.robots.backup = "false"). Failures are ignored: not every
// file system keeps extended attributes.
void excludeFromBackups(const std::filesystem::path& databaseFile);

}  // namespace zelvorin
