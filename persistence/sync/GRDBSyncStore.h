#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "domain/Clock.h"
#include "persistence/AppDatabase.h"
#include "persistence/sqlite/Connection.h"
#include "sync/SyncStore.h"

namespace zelvorin {

// The sync engine's side of the local database: the outbox (`outbox_change`), the settling of
// pushed changes, pulled pages and the cursor (`sync_cursor`, one row with id 1).
//
// A row of a locally edited table moves as drawn beside SyncState; rows of server-owned tables are
// only ever synced. Each operation is one database access; the writes are one transaction each, so
// a pull page and its cursor land together or not at all. A pulled record that does not fit its
// table is set aside in `sync_quarantine` with its reason, and the rest of its page lands.
class GRDBSyncStore final : public SyncStore {
public:
    GRDBSyncStore(AppDatabase database, std::shared_ptr<const Clock> clock);

    std::vector<PushChange> pendingChangeBatch(std::size_t maxCount) override;
    void removeChanges(std::span<const std::string> idempotencyKeys) override;
    void recordPushFailure(std::span<const std::string> idempotencyKeys, const std::string& message) override;
    std::int64_t pendingChangeCount() override;
    void markAccepted(std::span<const PushAcceptedItem> items) override;
    void markConflicts(std::span<const PushConflictItem> items) override;
    std::int64_t conflictCount() override;
    void applyPulledChanges(std::span<const PullChange> changes,
                            const std::optional<std::string>& nextCursor) override;
    std::int64_t quarantinedCount() override;
    std::optional<std::string> currentCursor() override;
    void prepareCoverage(std::span<const SyncEntityType> entityTypes) override;
    std::optional<std::string> organization() override;
    void bindOrganization(const std::string& organizationId) override;

    // Queues a change inside the caller's write transaction, next to the row write it describes,
    // so the engine never sees the one without the other.
    static void enqueueChange(Connection& transaction, const PushChange& change, const Clock& clock);

    const AppDatabase& database() const { return database_; }

private:
    // One pulled change into its table; SqliteError when the record does not fit it.
    void applyPulledChange(Connection& db, const PullChange& change, std::string_view applied);
    // The upsert of one table for one set of payload keys (bit i: the mapping's i-th column),
    // built once: pull pages repeat the same shapes thousands of times.
    const std::string& upsertStatement(std::size_t mappingIndex, std::uint64_t presentColumns);

    AppDatabase database_;
    std::shared_ptr<const Clock> clock_;
    std::unordered_map<std::uint64_t, std::string> upserts_[20];  // touched only inside write()
};

}  // namespace zelvorin
