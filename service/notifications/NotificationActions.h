#pragma once

#include <string>
#include <vector>

#include "domain/TimePoint.h"
#include "service/http/RequestContext.h"

namespace zelvorin::service {

class ServiceDatabase;

// Marks the caller's notifications read: those addressed to them or to the whole organisation,
// not yet read and not deleted. Each one marked is a new revision of its record (readAt = now),
// so every device learns it by pull. Returns how many were marked; ids that are unknown, read
// already or someone else's count for nothing. One transaction.
int markNotificationsRead(const ServiceDatabase& database, const Caller& caller,
                          const std::vector<std::string>& ids, TimePoint now);
int markAllNotificationsRead(const ServiceDatabase& database, const Caller& caller, TimePoint now);

}  // namespace zelvorin::service
