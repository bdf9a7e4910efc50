#pragma once

#include <optional>
#include <string>
#include <vector>

#include "domain/TimePoint.h"
#include "service/ServiceTunables.h"

namespace zelvorin::service {

class ServiceDatabase;

struct PullQuery {
    std::string organizationId;
    std::optional<std::string> cursor;  // as the device sent it
    int limit = tunables::kDefaultPullLimit;
    std::vector<std::string> entityTypes;  // all when empty
};

// The PullResponse body for one page, as text: payloads go out as the service stored them, so a
// page of 500 records is one string assembly instead of 500 parse-and-print round trips.
// Throws ServiceError badRequest for a cursor that is no cursor of this service and forbidden for
// a cursor of another organisation.
std::string pullPage(const ServiceDatabase& database, const PullQuery& query, TimePoint now);

}  // namespace zelvorin::service
