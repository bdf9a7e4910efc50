#include "sync/SyncEngine.h"

#include <algorithm>
#include <future>
#include <set>
#include <stdexcept>
#include <utility>

#include <spdlog/fmt/fmt.h>

#include "sync/NetworkError.h"
#include "sync/PullPageLimitExceededError.h"
#include "sync/SyncLog.h"
#include "sync/SyncRateLimitedError.h"
#include "sync/SyncTuning.h"

namespace zelvorin {
namespace {

// Thrown inside a cycle when its stop was requested; never leaves the engine.
struct CycleStopped {};

using EntityKey = std::pair<SyncEntityType, std::string>;

template <class Item>
std::set<EntityKey> entitiesOf(const std::vector<Item>& items) {
    std::set<EntityKey> keys;
    for (const Item& item : items)
        keys.emplace(item.entityType, item.entityId);
    return keys;
}

std::vector<std::string> keysOfChangesTo(const std::vector<PushChange>& batch,
                                         const std::set<EntityKey>& entities) {
    std::vector<std::string> keys;
    for (const PushChange& change : batch) {
        if (entities.contains({change.entityType, change.entityId})) keys.push_back(change.idempotencyKey);
    }
    return keys;
}

}  // namespace

std::string syncFailureMessage(const std::exception& error) {
    if (dynamic_cast<const PullPageLimitExceededError*>(&error)) {
        return std::string(
                   "De server bleef pagina's sturen. Dit is een fout aan onze kant; probeer het later "
                   "opnieuw.\n\n") +
               error.what();
    }
    if (dynamic_cast<const SyncRateLimitedError*>(&error)) {
        return std::string(
                   "De server vroeg herhaaldelijk om te wachten en dat hield ook na een paar pogingen "
                   "aan. Probeer het over een paar minuten opnieuw.\n\n") +
               error.what();
    }
    return error.what();
}

SyncEngine::SyncEngine(std::string deviceId, std::shared_ptr<SyncStore> store,
                       std::shared_ptr<SyncTransport> transport, std::vector<SyncEntityType> entityTypes,
                       std::shared_ptr<const Clock> clock, std::shared_ptr<SyncWaiter> waiter)
    : deviceId_(std::move(deviceId)),
      store_(std::move(store)),
      transport_(std::move(transport)),
      entityTypes_(std::move(entityTypes)),
      clock_(std::move(clock)),
      waiter_(std::move(waiter)) {}

void SyncEngine::setStatusListener(StatusListener listener) {
    std::lock_guard lock(mutex_);
    listener_ = std::move(listener);
}

SyncEngineStatus SyncEngine::status() const {
    std::lock_guard lock(mutex_);
    return status_;
}

std::optional<TimePoint> SyncEngine::lastSyncedAt() const {
    std::lock_guard lock(mutex_);
    return lastSyncedAt_;
}

void SyncEngine::setStatus(SyncEngineStatus status) {
    StatusListener listener;
    {
        std::lock_guard lock(mutex_);
        status_ = status;
        listener = listener_;
    }
    if (listener) listener(status);
}

void SyncEngine::sync(SyncTrigger trigger, std::stop_token stop) {
    if (isSyncing_.exchange(true)) return;
    struct Done {
        std::atomic<bool>& flag;
        ~Done() { flag.store(false); }
    } done{isSyncing_};

    setStatus(SyncEngineStatus::syncing());
    try {
        runCycle(stop);
    } catch (const CycleStopped&) {
        // A stopped cycle keeps the last status; what it recorded stays recorded.
    } catch (const NetworkError& error) {
        if (error.isOffline()) {
            try {
                setStatus(SyncEngineStatus::offline(store_->pendingChangeCount()));
            } catch (const std::exception& countError) {
                setStatus(SyncEngineStatus::failed(countError.what(), clock_->now()));
            }
        } else {
            const std::string message = syncFailureMessage(error);
            syncLog().error("Sync mislukt (trigger={}): {}", caseName(trigger), message);
            setStatus(SyncEngineStatus::failed(message, clock_->now()));
        }
    } catch (const std::exception& error) {
        const std::string message = syncFailureMessage(error);
        syncLog().error("Sync mislukt (trigger={}): {}", caseName(trigger), message);
        setStatus(SyncEngineStatus::failed(message, clock_->now()));
    }
}

void SyncEngine::runCycle(std::stop_token stop) {
    checkOrganization();
    store_->prepareCoverage(entityTypes_);
    pushPhase(stop);
    pullPhase(stop);
    const std::int64_t conflicts = store_->conflictCount();
    setStatus(conflicts == 0 ? SyncEngineStatus::idle(lastSyncedAt(), store_->quarantinedCount())
                             : SyncEngineStatus::conflictsNeedAttention(conflicts));
}

void SyncEngine::checkOrganization() {
    const std::optional<std::string> credentials = transport_->organizationId();
    if (!credentials) return;
    const std::optional<std::string> local = store_->organization();
    if (!local) {
        store_->bindOrganization(*credentials);
        return;
    }
    if (*local != *credentials) {
        // Pushing now would put one organisation's changes into another's books.
        syncLog().error("Sync geweigerd: lokale gegevens van organisatie {}, aangemeld bij {}", *local,
                        *credentials);
        throw std::runtime_error(kOrganizationMismatchMessage);
    }
}

void SyncEngine::pushPhase(std::stop_token stop) {
    for (;;) {
        if (stop.stop_requested()) throw CycleStopped{};
        const std::vector<PushChange> batch = store_->pendingChangeBatch(SyncTuning::kPushBatchSize);
        if (batch.empty()) return;
        const std::int64_t queuedBefore = store_->pendingChangeCount();
        const PushRequest request{deviceId_, store_->currentCursor(), batch};
        const PushResponse response = sendRateLimited([&] { return transport_->push(request); }, stop);

        if (const auto accepted = keysOfChangesTo(batch, entitiesOf(response.accepted)); !accepted.empty()) {
            store_->removeChanges(accepted);
        }
        if (!response.accepted.empty()) store_->markAccepted(response.accepted);
        if (const auto conflicting = keysOfChangesTo(batch, entitiesOf(response.conflicts));
            !conflicting.empty()) {
            store_->removeChanges(conflicting);
        }
        if (!response.conflicts.empty()) store_->markConflicts(response.conflicts);

        if (!response.errors.empty()) {
            // The refused changes stay queued; they are offered again in the next cycle, not this one.
            std::set<std::string> refusedIds;
            for (const PushErrorItem& item : response.errors)
                refusedIds.insert(item.entityId);
            std::vector<std::string> refused;
            for (const PushChange& change : batch) {
                if (refusedIds.contains(change.entityId)) refused.push_back(change.idempotencyKey);
            }
            if (!refused.empty()) store_->recordPushFailure(refused, response.errors.front().error);
            return;
        }
        if (batch.size() < SyncTuning::kPushBatchSize) return;
        // A full batch that settled nothing would come back unchanged: end the phase instead of
        // pushing it for ever.
        if (store_->pendingChangeCount() >= queuedBefore) return;
    }
}

void SyncEngine::pullPhase(std::stop_token stop) {
    const auto fetch = [this, stop](std::optional<std::string> cursor) {
        if (stop.stop_requested()) throw CycleStopped{};
        return sendRateLimited(
            [&] { return transport_->pull(cursor, SyncTuning::kPullPageSize, entityTypes_); }, stop);
    };
    PullResponse page = fetch(store_->currentCursor());
    std::int64_t recordsApplied = 0;
    for (int pages = 1;; ++pages) {
        // The next page travels and is decoded while this one is written: a first sync waits on
        // the network or on the disk, not on both in turn. Only the engine's thread writes.
        std::future<PullResponse> next;
        if (page.hasMore && pages < SyncTuning::kPullPageLimit) {
            next = std::async(std::launch::async, fetch, page.nextCursor);
        }
        store_->applyPulledChanges(page.changes, page.nextCursor);
        recordsApplied += static_cast<std::int64_t>(page.changes.size());
        setStatus(SyncEngineStatus::syncing(pages, recordsApplied));
        if (!page.hasMore) break;
        if (pages >= SyncTuning::kPullPageLimit) throw PullPageLimitExceededError(SyncTuning::kPullPageLimit);
        page = next.get();
    }
    std::lock_guard lock(mutex_);
    lastSyncedAt_ = clock_->now();
}

template <class Send>
auto SyncEngine::sendRateLimited(Send&& send, std::stop_token stop) -> decltype(send()) {
    for (int retries = 0;; ++retries) {
        try {
            return send();
        } catch (const SyncRateLimitedError& error) {
            if (retries >= SyncTuning::kRateLimitRetries) {
                syncLog().error("Rate-limit-herpogingen uitgeput ({} pogingen): {}",
                                SyncTuning::kRateLimitRetries, error.what());
                throw SyncRateLimitedError(error.retryAfterSeconds());
            }
            const std::chrono::seconds wait =
                error.retryAfterSeconds()
                    ? std::min(std::chrono::seconds(*error.retryAfterSeconds()), SyncTuning::kRetryAfterCap)
                    : SyncTuning::backOffDelay(retries + 1);
            syncLog().info("429 ontvangen (poging {}/{}) — wacht {:.6f}s en probeert opnieuw.", retries + 1,
                           SyncTuning::kRateLimitRetries, static_cast<double>(wait.count()));
            setStatus(SyncEngineStatus::waitingForServer(clock_->now() + wait));
            if (!waiter_->waitFor(std::chrono::duration_cast<std::chrono::milliseconds>(wait), stop)) {
                throw CycleStopped{};
            }
        }
    }
}

}  // namespace zelvorin
