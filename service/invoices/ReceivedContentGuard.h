#pragma once

#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "service/store/Records.h"
#include "sync/PushRequest.h"

namespace zelvorin {
class Connection;
}

namespace zelvorin::service {

// A pushed change may not alter what the customer received on an invoice that left draft: its
// header's received members, its lines, or the invoice itself by a delete. Answers the refusal for
// such a change (the change's error item), nothing for a change that may be applied.
// `existing` is the stored record the change is about; `members` the pushed payload object (null
// for a delete).
std::optional<std::string> receivedContentRefusal(Connection& db, const std::string& organizationId,
                                                  const PushChange& change,
                                                  const std::optional<StoredRecord>& existing,
                                                  const nlohmann::ordered_json* members);

}  // namespace zelvorin::service
