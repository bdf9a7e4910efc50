#include "app/AppEnvironment.h"

#include "domain/Uuid.h"

namespace zelvorin {

AppEnvironment::AppEnvironment(BaseUrl baseUrl, AppPaths paths, Diagnostic diagnostic)
    : baseUrl_(std::move(baseUrl)),
      paths_(std::move(paths)),
      diagnostic_(std::move(diagnostic)),
      syncStatus_{SyncDisplayStatus::Synced{}},
      sessionState_(SessionState::signedOut),
      defaults_(paths_.defaultsFile, diagnostic_),
      deviceId_(readOrCreateDeviceId(defaults_)),
      opened_(openDefaultDatabase(paths_.applicationSupport, diagnostic_)) {}

std::string AppEnvironment::readOrCreateDeviceId(UserDefaults& defaults) {
    if (auto stored = defaults.string(kDeviceIdKey); stored && !stored->empty()) return *stored;
    std::string fresh = randomUuid();
    defaults.set(kDeviceIdKey, fresh);
    return fresh;
}

}  // namespace zelvorin
