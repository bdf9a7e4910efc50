#pragma once

#include <nlohmann/json.hpp>

#include "domain/TimePoint.h"
#include "service/http/RequestContext.h"
#include "sync/PushRequest.h"

namespace zelvorin::service {

class ServiceDatabase;

// Applies one pushed batch to the caller's organisation in one transaction and returns the
// PushResponse body: every change lands in exactly one of "accepted", "conflicts" or "errors".
//
//   create  a new record (or one that was deleted); the complete payload must fit its entity.
//           An id that exists already is a conflict.
//   update  the pushed members are laid over the stored payload and the result must fit.
//   delete  tombstones the record; deleting a tombstone again is accepted as it stands.
// An update or delete whose baseServerRevision is not the record's revision is a conflict: the
// record moved on since the device last saw it. An update or delete of an unknown record is an
// error. A change whose idempotency key was answered before gets that answer again, unapplied;
// errors are not kept as answers, so a change refused once is tried again when sent again.
// Each change settles on its own: one that throws (a payload that breaks a rule, totals that no
// longer fit 64 bits) is undone and becomes its error item while the rest of the batch is applied.
// The totals of every invoice the batch touched are restated once, after its last change.
nlohmann::ordered_json applyPush(const ServiceDatabase& database, const Caller& caller,
                                 const PushRequest& request, TimePoint now);

}  // namespace zelvorin::service
