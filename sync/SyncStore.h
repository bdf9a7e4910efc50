#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "sync/PullResponse.h"
#include "sync/PushRequest.h"
#include "sync/PushResponse.h"
#include "sync/SyncEntityType.h"

namespace zelvorin {

// The local side of sync: the outbox of queued changes, the records they settle, and the pull
// cursor. Every operation is one database access (one transaction for the writes) and blocks;
// errors are thrown to the engine and the operation's transaction is rolled back. The store never
// retries.
class SyncStore {
public:
    virtual ~SyncStore();

    // Up to `maxCount` queued changes in queue order; empty when nothing is queued.
    virtual std::vector<PushChange> pendingChangeBatch(std::size_t maxCount) = 0;
    // Drops those changes from the outbox.
    virtual void removeChanges(std::span<const std::string> idempotencyKeys) = 0;
    // Counts one more attempt for each change and keeps `message` as its last error; the changes stay.
    virtual void recordPushFailure(std::span<const std::string> idempotencyKeys,
                                   const std::string& message) = 0;
    virtual std::int64_t pendingChangeCount() = 0;
    // Each record takes its server revision and becomes synced when none of its changes is queued.
    virtual void markAccepted(std::span<const PushAcceptedItem> items) = 0;
    // Each locally edited record becomes conflict, its message kept as the last sync error.
    virtual void markConflicts(std::span<const PushConflictItem> items) = 0;
    // Records of the locally edited tables in conflict.
    virtual std::int64_t conflictCount() = 0;
    // Pulled records set aside because they did not fit the device's tables.
    virtual std::int64_t quarantinedCount() = 0;
    // Applies one pull page and stores its cursor, all or nothing, except that a record which does
    // not fit is set aside (counted by quarantinedCount) instead of failing the page.
    virtual void applyPulledChanges(std::span<const PullChange> changes,
                                    const std::optional<std::string>& nextCursor) = 0;
    virtual std::optional<std::string> currentCursor() = 0;
    // Makes the stored cursor cover exactly these kinds of record; drops the cursor when a kind is
    // new to it, so that the next pull starts from the beginning.
    virtual void prepareCoverage(std::span<const SyncEntityType> entityTypes) = 0;
    // The organisation the local data belongs to: none until the first cycle binds it.
    virtual std::optional<std::string> organization() = 0;
    // Binds the local data to `organizationId`; an existing binding is kept.
    virtual void bindOrganization(const std::string& organizationId) = 0;
};

}  // namespace zelvorin
