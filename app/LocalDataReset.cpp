#include "app/LocalDataReset.h"

#include <sys/stat.h>

#include <system_error>

#include "app/PrivateFiles.h"
#include "domain/Uuid.h"
#include "persistence/AppDatabase.h"
#include "persistence/DatabaseLocation.h"
#include "persistence/sqlite/SqliteError.h"

namespace zelvorin {

namespace {

constexpr const char* kDiscardedMarker = ".discarded-";

std::filesystem::path withSuffix(const std::filesystem::path& file, const char* suffix) {
    std::filesystem::path result = file;
    result += suffix;
    return result;
}

std::filesystem::path stagedPath(const AppPaths& paths) {
    return withSuffix(defaultDatabasePath(paths.applicationSupport), ".fresh");
}

void removeDatabaseFiles(const std::filesystem::path& file) {
    std::error_code ignored;
    for (const char* suffix : {"-wal", "-shm", ""})
        std::filesystem::remove(withSuffix(file, suffix), ignored);
}

// Renamed first so the folder is gone from its place in one step, then deleted at leisure.
void discard(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::exists(path, error)) return;
    const std::filesystem::path away =
        withSuffix(path, (std::string(kDiscardedMarker) + randomUuid()).c_str());
    std::filesystem::rename(path, away, error);
    std::filesystem::remove_all(error ? path : away, error);
}

}  // namespace

LocalDataReset::LocalDataReset(AppPaths paths) : paths_(std::move(paths)), staged_(stagedPath(paths_)) {
    removeDatabaseFiles(staged_);
    try {
        makePrivateFolder(staged_.parent_path());
        // Opened, migrated and closed again: the file is complete on its own, without a log.
        (void)AppDatabase::openFile(staged_);
    } catch (const std::filesystem::filesystem_error& error) {
        removeDatabaseFiles(staged_);
        throw std::runtime_error("Er kan geen nieuwe lege database worden aangemaakt (" +
                                 error.code().message() +
                                 "). Er is niets gewist; maak ruimte vrij en probeer het opnieuw.");
    } catch (const SqliteError& error) {
        removeDatabaseFiles(staged_);
        throw std::runtime_error("Er kan geen nieuwe lege database worden aangemaakt (" +
                                 std::string(error.what()) +
                                 "). Er is niets gewist; maak ruimte vrij en probeer het opnieuw.");
    }
    ::chmod(staged_.c_str(), 0600);
}

LocalDataReset::~LocalDataReset() {
    if (!committed_) removeDatabaseFiles(staged_);
}

void LocalDataReset::commit() {
    const std::filesystem::path database = defaultDatabasePath(paths_.applicationSupport);
    std::error_code ignored;
    // The old log must not outlive its database: replayed into the fresh file it would corrupt it.
    std::filesystem::remove(withSuffix(database, "-wal"), ignored);
    std::filesystem::remove(withSuffix(database, "-shm"), ignored);
    std::filesystem::rename(staged_, database);
    committed_ = true;
    syncFolder(database.parent_path());
    excludeFromBackups(database);
    discard(paths_.groupContainer / "PendingUploads");
    std::filesystem::remove(paths_.groupContainer / "snapshot.json", ignored);
    discard(database.parent_path() / "Fonts");
    syncFolder(paths_.groupContainer);
}

void LocalDataReset::removeLeftovers(const AppPaths& paths) {
    removeDatabaseFiles(stagedPath(paths));
    for (const std::filesystem::path& folder :
         {paths.groupContainer, defaultDatabasePath(paths.applicationSupport).parent_path()}) {
        std::error_code error;
        for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
             it.increment(error)) {
            if (it->path().filename().string().find(kDiscardedMarker) != std::string::npos)
                std::filesystem::remove_all(it->path(), error);
        }
    }
}

}  // namespace zelvorin
