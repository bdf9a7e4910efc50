#include "persistence/AppDatabase.h"

#include <sys/xattr.h>

#include "persistence/sync/SyncTransitions.h"

namespace zelvorin {

AppDatabase AppDatabase::openOnWriter(std::shared_ptr<DatabaseWriter> writer, const MigrationRunner& runner,
                                      std::size_t limit) {
    // Migrations need the writer connection to themselves; write() gives exactly that, but each
    // migration is its own transaction, so they run on the connection outside write()'s one.
    writer->withWriterConnection([&](Connection& connection) {
        defineSyncTransitions(connection);  // the writer is the one connection that changes rows
        runner.apply(connection, limit);
    });
    return AppDatabase{std::move(writer)};
}

AppDatabase AppDatabase::openOnWriter(std::shared_ptr<DatabaseWriter> writer) {
    return openOnWriter(std::move(writer), MigrationRunner::forSchema(Schema::shared()));
}

AppDatabase AppDatabase::openFile(const std::filesystem::path& path) {
    AppDatabase database = openOnWriter(DatabaseWriter::openPool(path));
    excludeFromBackups(path);
    return database;
}

AppDatabase AppDatabase::openInMemory() {
    return openOnWriter(DatabaseWriter::openInMemory());
}

std::vector<std::string> AppDatabase::appliedMigrations() const {
    return writer->read([](Connection& connection) {
        std::vector<std::string> identifiers;
        Statement select = connection.prepare("SELECT identifier FROM grdb_migrations ORDER BY rowid");
        while (select.step())
            identifiers.push_back(select.text(0));
        return identifiers;
    });
}

void excludeFromBackups(const std::filesystem::path& databaseFile) {
    for (const char* suffix : {"", "-wal", "-shm"}) {
        std::filesystem::path file = databaseFile;
        file += suffix;
        std::error_code error;
        if (!std::filesystem::exists(file, error)) continue;
        ::setxattr(file.c_str(), "user.xdg.robots.backup", "false", 5, 0);
    }
}

}  // namespace zelvorin
