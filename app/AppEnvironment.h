#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/AppPaths.h"
#include "app/BaseUrl.h"
#include "app/Repositories.h"
#include "app/SessionState.h"
#include "app/SyncDisplayStatus.h"
#include "app/UserDefaults.h"
#include "persistence/DatabaseLocation.h"
#include "sync/SyncEngine.h"
#include "sync/SyncTransport.h"

namespace zelvorin {

// The one object that ties the application together: it owns the local database with every
// repository over it (and, as they arrive, the token store, the API client, the sync engine and the
// scheduler) and carries the session. Created once per process by the desktop entry point or the CLI.
//
// Creation order matters and is fixed: sync status and session first, then the device id from the
// user defaults, then the database (opened with its fallback chain, so start-up never fails on a
// bad file).
class AppEnvironment {
public:
    // Lines meant for a person looking at the terminal (stderr in the CLI).
    using Diagnostic = std::function<void(const std::string&)>;

    static constexpr const char* kDeviceIdKey = "nl.zelvorin.deviceId";

    // `clock` is the system's unless a tool fixes "now" (the CLI's ZELVORIN_NOW).
    AppEnvironment(BaseUrl baseUrl, AppPaths paths, Diagnostic diagnostic,
                   std::shared_ptr<const Clock> clock = nullptr);

    const BaseUrl& baseURL() const { return baseUrl_; }
    const std::string& deviceId() const { return deviceId_; }
    const AppPaths& paths() const { return paths_; }
    AppDatabase& database() { return opened_.database; }
    // Where the database lives; empty when start-up fell back to memory.
    const std::filesystem::path& databasePath() const { return opened_.path; }
    bool databaseInMemory() const { return opened_.inMemory; }

    const std::shared_ptr<const Clock>& clock() const { return clock_; }
    Repositories& repositories() { return repositories_; }

    SessionState sessionState() const { return sessionState_; }
    // The sync chip: follows the engine's status once the engine exists.
    SyncDisplayStatus syncStatus() const;

    // The sync engine of this device: its database as the store, `transport` (the API client) as
    // the other end, every kind of record. Built on the first call; later calls return the same
    // engine and ignore their argument.
    SyncEngine& syncEngine(std::shared_ptr<SyncTransport> transport);
    // Called after the chip changed, on the engine's thread (the CLI prints it, the window redraws).
    void setSyncStatusObserver(std::function<void(const SyncEngineStatus&)> observer);

private:
    static std::string readOrCreateDeviceId(UserDefaults& defaults);

    BaseUrl baseUrl_;
    AppPaths paths_;
    Diagnostic diagnostic_;
    mutable std::mutex syncStatusMutex_;  // the engine reports from its cycle's thread
    SyncDisplayStatus syncStatus_;
    std::function<void(const SyncEngineStatus&)> syncStatusObserver_;
    SessionState sessionState_ = SessionState::signedOut;
    UserDefaults defaults_;
    std::string deviceId_;
    OpenedDatabase opened_;
    std::shared_ptr<const Clock> clock_;
    Repositories repositories_;
    std::unique_ptr<SyncEngine> syncEngine_;
};

}  // namespace zelvorin
