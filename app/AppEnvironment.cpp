#include "app/AppEnvironment.h"

#include "domain/Clock.h"
#include "domain/Timestamps.h"
#include "domain/Uuid.h"
#include "persistence/sync/GRDBSyncStore.h"

namespace zelvorin {

AppEnvironment::AppEnvironment(BaseUrl baseUrl, AppPaths paths, Diagnostic diagnostic,
                               std::shared_ptr<const Clock> clock)
    : baseUrl_(std::move(baseUrl)),
      paths_(std::move(paths)),
      diagnostic_(std::move(diagnostic)),
      syncStatus_{SyncDisplayStatus::Synced{}},
      sessionState_(SessionState::signedOut),
      defaults_(paths_.defaultsFile, diagnostic_),
      deviceId_(readOrCreateDeviceId(defaults_)),
      opened_(openDefaultDatabase(paths_.applicationSupport, diagnostic_)),
      clock_(clock ? std::move(clock) : std::make_shared<SystemClock>()),
      repositories_(opened_.database, clock_) {}

SyncDisplayStatus AppEnvironment::syncStatus() const {
    std::lock_guard lock(syncStatusMutex_);
    return syncStatus_;
}

SyncEngine& AppEnvironment::syncEngine(std::shared_ptr<SyncTransport> transport) {
    if (syncEngine_) return *syncEngine_;
    syncEngine_ = std::make_unique<SyncEngine>(
        deviceId_, std::make_shared<GRDBSyncStore>(opened_.database, clock_), std::move(transport),
        std::vector<SyncEntityType>(kAllSyncEntityTypes.begin(), kAllSyncEntityTypes.end()), clock_);
    syncEngine_->setStatusListener([this](const SyncEngineStatus& status) {
        // A cycle that ended idle with a date succeeded: the dashboard shows when that was.
        if (const auto* idle = status.get<SyncEngineStatus::Idle>(); idle && idle->lastSyncedAt)
            repositories_.dashboard.recordSuccessfulSync(formatTimestampSeconds(*idle->lastSyncedAt));
        std::function<void(const SyncEngineStatus&)> observer;
        {
            std::lock_guard lock(syncStatusMutex_);
            syncStatus_ = displayStatus(status);
            observer = syncStatusObserver_;
        }
        if (observer) observer(status);
    });
    return *syncEngine_;
}

void AppEnvironment::setSyncStatusObserver(std::function<void(const SyncEngineStatus&)> observer) {
    std::lock_guard lock(syncStatusMutex_);
    syncStatusObserver_ = std::move(observer);
}

std::string AppEnvironment::readOrCreateDeviceId(UserDefaults& defaults) {
    if (auto stored = defaults.string(kDeviceIdKey); stored && !stored->empty()) return *stored;
    std::string fresh = randomUuid();
    defaults.set(kDeviceIdKey, fresh);
    return fresh;
}

}  // namespace zelvorin
