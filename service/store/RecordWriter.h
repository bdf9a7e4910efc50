#pragma once

#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "domain/TimePoint.h"
#include "service/store/Records.h"
#include "sync/SyncEntityType.h"

namespace zelvorin {
class Connection;
}

namespace zelvorin::service {

// Where a change to a record came from, as the audit log names it.
enum class ChangeSource { push, route, seed, admin, service };

// Who made a change: the user and device of a signed-in caller, nothing for the service's own.
struct Actor {
    ChangeSource source = ChangeSource::service;
    std::optional<std::string> userId;
    std::optional<std::string> deviceId;
};

enum class RecordOperation {
    put,      // create the record (revision 1), or replace it, tombstone or not (revision + 1)
    remove,   // tombstone it: its last payload plus "deletedAt" (revision + 1); 404 when there is none
    restate,  // replace a live record's payload with figures the service derives itself (an
              // invoice's totals from its lines): a new change for pulls, but the same revision, so
              // a device's edit based on that revision does not turn into a conflict
};

struct RecordChange {
    std::string organizationId;
    SyncEntityType entityType = SyncEntityType::customer;
    std::string id;
    RecordOperation operation = RecordOperation::put;
    nlohmann::ordered_json payload;  // put and restate: the whole record; remove: not used
    TimePoint at;
    Actor actor;
    std::optional<std::string> idempotencyKey;  // a pushed change's key; unique per organisation
};

// The one way a record is created or changed, whoever changes it (a push, a route, the seed, the
// admin routes). On the caller's write transaction it
//   1. sets the bookkeeping members "revision" and "serverModifiedAt" of the payload (whatever
//      they held) and validates the whole payload like a pushed record: a payload that does not fit
//      its entity throws ServiceError(unprocessable) before anything is written;
//   2. appends the change to the change log (the next sequence: devices pull it);
//   3. writes the record with that sequence;
//   4. writes the audit entry (what, who, when, which record) naming that sequence, unless the
//      route being answered writes one entry for its whole action (RequestAudit).
// A repeated idempotency key fails on the change log's unique index and writes nothing.
StoredRecord writeRecord(Connection& db, RecordChange change);

}  // namespace zelvorin::service
