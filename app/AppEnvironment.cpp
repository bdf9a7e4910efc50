#include "app/AppEnvironment.h"

#include "domain/Uuid.h"
#include "persistence/DatabaseLocation.h"

namespace zelvorin {

namespace {

OpenedDatabase openDatabase(const AppPaths& paths, const AppEnvironment::Diagnostic& diagnostic) {
    return openDefaultDatabase(paths.applicationSupport, diagnostic);
}

}  // namespace

AppEnvironment::AppEnvironment(BaseUrl baseUrl, AppPaths paths, Diagnostic diagnostic)
    : baseUrl_(std::move(baseUrl)),
      paths_(std::move(paths)),
      diagnostic_(std::move(diagnostic)),
      syncStatus_{SyncDisplayStatus::Synced{}},
      sessionState_(SessionState::signedOut),
      defaults_(paths_.defaultsFile, diagnostic_),
      deviceId_(readOrCreateDeviceId(defaults_)),
      database_([this] {
          OpenedDatabase opened = openDatabase(paths_, diagnostic_);
          databasePath_ = opened.inMemory ? std::filesystem::path{} : opened.path;
          databaseInMemory_ = opened.inMemory;
          return std::move(opened.database);
      }()) {}

std::string AppEnvironment::readOrCreateDeviceId(UserDefaults& defaults) {
    if (auto stored = defaults.string(kDeviceIdKey); stored && !stored->empty()) return *stored;
    std::string fresh = randomUuid();
    defaults.set(kDeviceIdKey, fresh);
    return fresh;
}

}  // namespace zelvorin
