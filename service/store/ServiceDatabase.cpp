#include "service/store/ServiceDatabase.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

#include "persistence/sqlite/SqliteError.h"
#include "service/auth/AuthCrypto.h"
#include "service/http/ServiceError.h"
#include "service/store/ServiceMigrations.h"

namespace zelvorin::service {

namespace {

constexpr const char* kLedger = "grdb_migrations";

[[noreturn]] void refuse(const std::filesystem::path& path, const std::string& reason) {
    throw ServiceError(ErrorKind::internal,
                       "De opslag " + path.string() + " kan niet worden geopend: " + reason + ".");
}

void makePrivateDirectory(const std::filesystem::path& directory) {
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    if (!error) {
        std::filesystem::permissions(directory, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::replace, error);
    }
    if (error) {
        throw ServiceError(ErrorKind::internal, "De gegevensmap " + directory.string() +
                                                    " kan niet worden aangemaakt: " + error.message() + ".");
    }
}

// SQLite creates a missing database with 0644 (less the umask) and its -wal and -shm with the
// database's own mode: creating the file first with 0600 keeps all three private.
void makePrivateFile(const std::filesystem::path& path) {
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (descriptor < 0) refuse(path, std::strerror(errno));
    ::fchmod(descriptor, S_IRUSR | S_IWUSR);
    ::close(descriptor);
    for (const char* suffix : {"-wal", "-shm"}) {
        std::filesystem::path companion = path;
        companion += suffix;
        ::chmod(companion.c_str(), S_IRUSR | S_IWUSR);  // only when it exists; a failure is harmless
    }
}

bool hasTable(Connection& connection, const char* table) {
    Statement query = connection.prepare("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?");
    query.bind(1, table);
    return query.step();
}

bool hasAnyTable(Connection& connection) {
    return connection.prepare("SELECT 1 FROM sqlite_master WHERE type = 'table' LIMIT 1").step();
}

void migrate(Connection& connection, const std::filesystem::path& path) {
    // A database with tables but no ledger is not one this service made (an earlier layout of the
    // stand-in kept its own ledger): changing it would only make things worse.
    if (!hasTable(connection, kLedger) && hasAnyTable(connection)) {
        refuse(path,
               "het bestand is niet door deze versie van de service gemaakt; verwijder de gegevensmap om "
               "opnieuw te beginnen");
    }
    MigrationRunner(serviceMigrations()).apply(connection);
}

std::string loadOrCreateSigningSecret(DatabaseWriter& writer) {
    return writer.write([](Connection& connection) {
        Statement existing = connection.prepare("SELECT secret FROM signing_secret WHERE id = 1");
        if (existing.step()) return existing.text(0);
        std::string secret = randomToken(32);
        connection.prepare("INSERT INTO signing_secret (id, secret) VALUES (1, ?)").bind(1, secret).run();
        return secret;
    });
}

}  // namespace

ServiceDatabase::ServiceDatabase(const std::filesystem::path& dataDirectory)
    : path_(dataDirectory / kFileName) {
    makePrivateDirectory(dataDirectory);
    makePrivateFile(path_);
    try {
        writer_ = DatabaseWriter::openPool(path_);
        writer_->withWriterConnection([this](Connection& connection) {
            // FULL: a push the service acknowledged must survive a power cut too, not only a crash
            // of the process (NORMAL in WAL may lose the last commits); it costs ~0.2 ms a commit.
            // The foreign keys hold records, sessions and files to an organisation that exists.
            connection.exec("PRAGMA synchronous = FULL");
            connection.exec("PRAGMA foreign_keys = ON");
            // A statement's undo journal in memory rather than a temporary file written page by
            // page, and room for a large import's pages until its commit (up to 64 MB) instead of
            // spilling them into the WAL halfway and writing them again.
            connection.exec("PRAGMA temp_store = MEMORY");
            connection.exec("PRAGMA cache_size = -65536");
            migrate(connection, path_);
        });
        signingSecret_ = loadOrCreateSigningSecret(*writer_);
    } catch (const SqliteError& error) {
        refuse(path_, error.what());
    }
}

std::vector<std::string> ServiceDatabase::appliedMigrations() const {
    return read([](Connection& connection) {
        std::vector<std::string> identifiers;
        Statement select = connection.prepare("SELECT identifier FROM grdb_migrations ORDER BY rowid");
        while (select.step())
            identifiers.push_back(select.text(0));
        return identifiers;
    });
}

}  // namespace zelvorin::service
