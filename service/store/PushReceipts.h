#pragma once

#include <optional>
#include <string>

#include <nlohmann/json.hpp>

namespace zelvorin {
class Connection;
}

namespace zelvorin::service {

// The answer once given to a pushed change, kept under its idempotency key so that a change pushed
// again gets the same answer without being applied twice. `list` is "accepted", "conflicts" or
// "errors"; `item` is the list's item as it was sent.
struct PushReceipt {
    std::string list;
    nlohmann::ordered_json item;
};

namespace pushreceipts {

std::optional<PushReceipt> find(Connection& db, const std::string& organizationId,
                                const std::string& idempotencyKey);
void save(Connection& db, const std::string& organizationId, const std::string& idempotencyKey,
          const PushReceipt& receipt);

}  // namespace pushreceipts
}  // namespace zelvorin::service
