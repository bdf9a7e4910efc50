#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "domain/Clock.h"
#include "sync/SyncEngineStatus.h"
#include "sync/SyncStore.h"
#include "sync/SyncTransport.h"
#include "sync/SyncTrigger.h"
#include "sync/SyncWaiter.h"

namespace zelvorin {

// Runs one sync cycle at a time for the signed-in device: push the queued changes in batches,
// then pull the service's changes page by page.
//
//   sync(): idle/any --start--> syncing [--429--> waitingForServer --retry--> ...]
//           --> idle(lastSyncedAt) | conflictsNeedAttention(n) | offline(pending) | failed(message)
//   A stopped cycle ends where it was: the status stays as it last was.
//
// A cycle first checks that the local data and the credentials belong to the same organisation.
// Knows neither SQL nor HTTP: the store and the transport do that. sync() blocks, never throws,
// and returns at once when another cycle is running (the request is dropped, not queued).
class SyncEngine {
public:
    using StatusListener = std::function<void(const SyncEngineStatus&)>;

    SyncEngine(std::string deviceId, std::shared_ptr<SyncStore> store,
               std::shared_ptr<SyncTransport> transport, std::vector<SyncEntityType> entityTypes,
               std::shared_ptr<const Clock> clock,
               std::shared_ptr<SyncWaiter> waiter = std::make_shared<MonotonicSyncWaiter>());

    void sync(SyncTrigger trigger, std::stop_token stop = {});

    // The one listener of status changes (a newer one replaces the older); called on the thread
    // that runs the cycle.
    void setStatusListener(StatusListener listener);
    SyncEngineStatus status() const;
    std::optional<TimePoint> lastSyncedAt() const;
    bool isSyncing() const { return isSyncing_.load(); }
    const std::string& deviceId() const { return deviceId_; }

private:
    void runCycle(std::stop_token stop);
    // Binds the local data to the credentials' organisation on the first cycle; throws when they
    // belong to different organisations, before anything is sent.
    void checkOrganization();
    void pushPhase(std::stop_token stop);
    void pullPhase(std::stop_token stop);
    template <class Send>
    auto sendRateLimited(Send&& send, std::stop_token stop) -> decltype(send());
    void setStatus(SyncEngineStatus status);

    const std::string deviceId_;
    const std::shared_ptr<SyncStore> store_;
    const std::shared_ptr<SyncTransport> transport_;
    const std::vector<SyncEntityType> entityTypes_;
    const std::shared_ptr<const Clock> clock_;
    const std::shared_ptr<SyncWaiter> waiter_;

    std::atomic<bool> isSyncing_{false};
    mutable std::mutex mutex_;  // guards the members below
    std::optional<TimePoint> lastSyncedAt_;
    SyncEngineStatus status_;
    StatusListener listener_;
};

// Why a cycle refused to run: the local data belongs to another organisation than the sign-in.
inline constexpr const char* kOrganizationMismatchMessage =
    "De gegevens op dit apparaat horen bij een andere organisatie dan waarmee je bent aangemeld. "
    "Er is niets verstuurd; wissel terug of meld opnieuw aan.";

// The Dutch message a failed cycle shows for `error`.
std::string syncFailureMessage(const std::exception& error);

}  // namespace zelvorin
