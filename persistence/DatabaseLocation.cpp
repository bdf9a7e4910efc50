#include "persistence/DatabaseLocation.h"

#include <cstdlib>
#include <exception>

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

AppDatabase openAt(const std::filesystem::path& path) {
    std::filesystem::create_directories(path.parent_path());
    return AppDatabase::openFile(path);
}

std::string reason(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const std::exception& error) {
        return error.what();
    } catch (...) {
        return "onbekende fout";
    }
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

OpenedDatabase openDefaultDatabase(const std::filesystem::path& applicationSupport,
                                   const std::function<void(const std::string&)>& diagnostic) {
    const std::filesystem::path path = defaultDatabasePath(applicationSupport);
    auto report = [&](const std::string& line) {
        if (diagnostic) diagnostic(line);
    };
    try {
        return {openAt(path), path, false};
    } catch (...) {
        report("[AppEnvironment] De database " + path.string() + " kon niet worden geopend (" +
               reason(std::current_exception()) + "); er wordt een nieuwe aangemaakt.");
    }
    // The companions go too: a write-ahead log left from the broken file must not be replayed
    // into the new one.
    for (const char* suffix : {"", "-wal", "-shm"}) {
        std::filesystem::path file = path;
        file += suffix;
        std::error_code ignored;
        std::filesystem::remove(file, ignored);
    }
    try {
        return {openAt(path), path, false};
    } catch (...) {
        report("[AppEnvironment] Ook een nieuwe database kon niet worden aangemaakt (" +
               reason(std::current_exception()) +
               "); de app werkt nu met een database in het geheugen en bewaart niets.");
    }
    // An in-memory database that cannot be opened means SQLite itself is unusable.
    return {AppDatabase::openInMemory(), {}, true};
}

}  // namespace zelvorin
