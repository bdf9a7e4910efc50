#include "persistence/DatabaseLocation.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <exception>

#include "persistence/Schema.h"
#include "persistence/sqlite/Connection.h"
#include "persistence/sqlite/SqliteError.h"

namespace zelvorin {

namespace {

std::filesystem::path environmentPath(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::filesystem::path{} : std::filesystem::path(value);
}

// The XDG rules say a relative value is to be ignored.
std::filesystem::path absoluteEnvironmentPath(const char* name) {
    std::filesystem::path path = environmentPath(name);
    return path.is_absolute() ? path : std::filesystem::path{};
}

std::filesystem::path withSuffix(const std::filesystem::path& file, const char* suffix) {
    std::filesystem::path result = file;
    result += suffix;
    return result;
}

constexpr const char* kCompanionSuffixes[] = {"-wal", "-shm"};

// Failures that say nothing about the file itself: the file must stay exactly as it is.
bool isEnvironmentFailure(int primaryCode) {
    switch (primaryCode) {
        case SQLITE_CANTOPEN:
        case SQLITE_PERM:
        case SQLITE_READONLY:
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
        case SQLITE_FULL:
        case SQLITE_IOERR:
        case SQLITE_NOMEM:
        case SQLITE_AUTH:
        case SQLITE_INTERRUPT:
            return true;
        default:
            return false;
    }
}

std::string environmentReason(int primaryCode, const std::string& message) {
    switch (primaryCode) {
        case SQLITE_FULL:
            return "de schijf is vol";
        case SQLITE_CANTOPEN:
        case SQLITE_PERM:
        case SQLITE_READONLY:
        case SQLITE_AUTH:
            return "geen toegang tot het bestand of de map";
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return "de database is in gebruik door een ander programma";
        case SQLITE_IOERR:
            return "de schijf gaf een lees- of schrijffout";
        default:
            return message;
    }
}

[[noreturn]] void stopUntouched(const std::filesystem::path& path, const std::string& reason) {
    throw DatabaseUnavailableError("De database " + path.string() + " kan nu niet worden gebruikt (" +
                                   reason +
                                   "). Er is niets aan gewijzigd; los dit op en start de app opnieuw.");
}

// What a read-only look at an existing file says about it.
struct Probe {
    bool usable = true;
    std::string reason;  // why not, in Dutch
};

Probe probe(const std::filesystem::path& path) {
    try {
        Connection connection = Connection::open(path, Connection::Mode::readOnly);
        // Reading the schema reads the header: a file that is not a database fails here.
        Statement ledger = connection.prepare(
            "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'grdb_migrations'");
        if (!ledger.step()) return {};
        Statement applied = connection.prepare("SELECT identifier FROM grdb_migrations");
        const auto& known = Schema::shared().migrations();
        while (applied.step()) {
            const std::string identifier = applied.text(0);
            const bool isKnown = std::any_of(known.begin(), known.end(),
                                             [&](const auto& m) { return m.identifier == identifier; });
            if (!isKnown) {
                return {false, "ze komt van een nieuwere versie van Zelvorin (migratie " + identifier + ")"};
            }
        }
        return {};
    } catch (const SqliteError& error) {
        if (isEnvironmentFailure(error.primaryCode()))
            stopUntouched(path, environmentReason(error.primaryCode(), error.what()));
        return {false, std::string("het bestand is geen bruikbare database: ") + error.what()};
    }
}

// The folder and the files of the database are the owner's only; older installations made them
// with the process's umask, so existing ones are tightened too.
void prepareFolder(const std::filesystem::path& path) {
    const std::filesystem::path folder = path.parent_path();
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error || !std::filesystem::is_directory(folder)) {
        stopUntouched(path, "de map " + folder.string() + " kan niet worden aangemaakt: " +
                                (error ? error.message() : std::string("er staat een bestand")));
    }
    if (::access(folder.c_str(), W_OK) != 0)
        stopUntouched(
            path, "in de map " + folder.string() + " mag niet worden geschreven: " + std::strerror(errno));
    ::chmod(folder.c_str(), 0700);
    for (const char* suffix : {"", "-wal", "-shm"})
        ::chmod(withSuffix(path, suffix).c_str(), 0600);
}

// An empty file is an empty database; made here so that SQLite's files inherit 0600 from it.
void createPrivateFile(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) ::close(fd);
}

std::string utcStamp() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm parts{};
    ::gmtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &parts);
    return text;
}

AppDatabase openPrivateFile(const std::filesystem::path& path) {
    createPrivateFile(path);
    return AppDatabase::openFile(path);
}

}  // namespace

std::filesystem::path applicationSupportDirectory() {
    if (auto dataDir = environmentPath("ZELVORIN_DATA_DIR"); !dataDir.empty()) return dataDir;
    if (auto xdg = absoluteEnvironmentPath("XDG_DATA_HOME"); !xdg.empty()) return xdg;
    auto home = absoluteEnvironmentPath("HOME");
    return (home.empty() ? std::filesystem::temp_directory_path() : home) / ".local" / "share";
}

std::filesystem::path defaultDatabasePath(const std::filesystem::path& applicationSupport) {
    return applicationSupport / "Zelvorin" / "zelvorin.sqlite";
}

std::filesystem::path moveDatabaseAside(const std::filesystem::path& databaseFile) {
    const std::string base = databaseFile.string() + ".unreadable-" + utcStamp();
    std::filesystem::path target = base;
    for (int n = 2; std::filesystem::exists(target); ++n)
        target = base + "-" + std::to_string(n);
    for (const char* suffix : kCompanionSuffixes) {
        const std::filesystem::path companion = withSuffix(databaseFile, suffix);
        if (std::filesystem::exists(companion))
            std::filesystem::rename(companion, withSuffix(target, suffix));
    }
    std::filesystem::rename(databaseFile, target);
    return target;
}

OpenedDatabase openDefaultDatabase(const std::filesystem::path& applicationSupport,
                                   const std::function<void(const std::string&)>& diagnostic) {
    const std::filesystem::path path = defaultDatabasePath(applicationSupport);
    auto report = [&](const std::string& line) {
        if (diagnostic) diagnostic(line);
    };
    prepareFolder(path);

    std::optional<std::filesystem::path> movedAside;
    auto setAside = [&](const std::string& reason) {
        try {
            movedAside = moveDatabaseAside(path);
        } catch (const std::filesystem::filesystem_error& error) {
            stopUntouched(path,
                          "het onbruikbare bestand kan niet opzij worden gezet: " + error.code().message());
        }
        report("[AppEnvironment] De database " + path.string() + " kon niet worden gebruikt (" + reason +
               "). Ze is bewaard als " + movedAside->string() +
               "; de app werkt verder met een nieuwe, lege database.");
    };

    if (std::filesystem::exists(path)) {
        if (Probe looked = probe(path); !looked.usable) setAside(looked.reason);
    }
    for (;;) {
        try {
            return {openPrivateFile(path), path, false, movedAside};
        } catch (const SqliteError& error) {
            if (isEnvironmentFailure(error.primaryCode()))
                stopUntouched(path, environmentReason(error.primaryCode(), error.what()));
            if (!movedAside) {
                setAside(error.what());
                continue;
            }
            report("[AppEnvironment] Ook een nieuwe database kon niet worden aangemaakt (" +
                   std::string(error.what()) +
                   "); de app werkt nu met een database in het geheugen en bewaart niets.");
            break;
        }
    }
    // An in-memory database that cannot be opened means SQLite itself is unusable.
    return {AppDatabase::openInMemory(), {}, true, movedAside};
}

}  // namespace zelvorin
