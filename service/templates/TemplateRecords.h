#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "domain/TimePoint.h"
#include "service/http/RequestContext.h"
#include "service/store/Records.h"
#include "sync/SyncEntityType.h"

namespace zelvorin {
class Connection;
}

// What the template actions share about the records they read and write.
namespace zelvorin::service::templaterecords {

// The caller's live record of `entityType`; ServiceError(notFound) with `missing` otherwise, also
// for another organisation's id, so an id never tells whether it exists elsewhere.
StoredRecord require(Connection& db, const Caller& caller, const char* entityType, const std::string& id,
                     const char* missing);
// The caller's live records of `entityType`, in change order.
std::vector<StoredRecord> live(Connection& db, const Caller& caller, const char* entityType);

// Tombstones a record as a route's change of the caller.
void remove(Connection& db, const Caller& caller, SyncEntityType type, const std::string& id, TimePoint now);

// The payload with the service's bookkeeping ("revision", "serverModifiedAt") left out: the record
// as the native API answers it.
nlohmann::ordered_json withoutBookkeeping(nlohmann::ordered_json payload);

}  // namespace zelvorin::service::templaterecords
