#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zelvorin {
class Connection;
}

// The idempotency keys of inbox uploads: a device that lost the answer to an upload sends the
// same file with the same key again and gets the items the first upload made.
namespace zelvorin::service::inboxuploadkeys {

std::optional<std::vector<std::string>> find(Connection& db, const std::string& organizationId,
                                             const std::string& key);
void put(Connection& db, const std::string& organizationId, const std::string& key,
         const std::vector<std::string>& itemIds);

}  // namespace zelvorin::service::inboxuploadkeys
