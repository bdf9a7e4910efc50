#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zelvorin {
class Connection;
}

namespace zelvorin::service::invoicenumbercounter {

// The last sequence handed out to the organisation's invoices of `year`; nothing before the first.
std::optional<std::int64_t> last(Connection& db, const std::string& organizationId, int year);
// Every year the organisation has a counter for, with its last sequence, by year.
std::vector<std::pair<int, std::int64_t>> all(Connection& db, const std::string& organizationId);
void setLast(Connection& db, const std::string& organizationId, int year, std::int64_t sequence);

}  // namespace zelvorin::service::invoicenumbercounter
