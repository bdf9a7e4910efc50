#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "domain/Clock.h"
#include "persistence/generated/Records.h"
#include "persistence/repositories/EditedFields.h"
#include "persistence/sqlite/Connection.h"
#include "sync/PushRequest.h"

namespace zelvorin {

// How a repository's write becomes a queued change, in the write's own transaction:
//   create: the row starts localOnly at revision 1; the change carries the given fields.
//   update: the row becomes pendingUpload (a localOnly row stays localOnly); the change carries
//           base revision = the row's revision, client revision one more, and the changed keys.
//   delete: the row is kept, tombstoned with deleted_at; the change has an empty payload.
// The states come from the one table of transitions (stateAfter, persistence/sync/SyncTransitions.h).
// Every change gets a fresh lower-case UUID as its idempotency key and "now" as its timestamp.
class LocalEdit {
public:
    LocalEdit(Connection& transaction, const Clock& clock) : db_(transaction), clock_(clock) {}

    // The payload of `record` with exactly `keys` (absent values as JSON null, booleans as JSON
    // booleans). A key that is not a member of the record's payload shape is a mistake in the
    // list: the service would ignore it, so it throws std::logic_error instead.
    template <class Record>
    static JSONValue payload(const Record& record, EditedFields::Keys keys) {
        return payloadOf(Record::tableName, record.columnValues(), keys);
    }

    void queueCreate(SyncEntityType type, const std::string& id, JSONValue payload);
    void queueUpdate(SyncEntityType type, const std::string& id, std::int64_t revision, JSONValue payload,
                     std::vector<std::string> changedFields);
    // An update without a base revision: the service takes these values over its own (settling a
    // conflict in favour of the device).
    void queueOverwrite(SyncEntityType type, const std::string& id, std::int64_t revision, JSONValue payload);
    // Tombstones the row of `table` and queues its delete. Returns false when there is no such row.
    bool tombstone(SyncEntityType type, std::string_view table, const std::string& id);

    // The stamp of this edit: ISO-8601 with milliseconds.
    std::string now() const;
    // The state a row's update stores: "pendingUpload", or "localOnly" for a row that never
    // reached the service (stateAfter(current, SyncEvent::localUpdate)).
    static std::string stateAfterUpdate(std::string_view currentState);

private:
    static JSONValue payloadOf(std::string_view table, const ColumnValues& values, EditedFields::Keys keys);
    void queue(PushChange change);

    Connection& db_;
    const Clock& clock_;
};

}  // namespace zelvorin
