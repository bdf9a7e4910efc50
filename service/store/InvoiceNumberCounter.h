#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zelvorin {
class Connection;
}

namespace zelvorin::service::invoicenumbercounter {

// The last sequence handed out to the organisation's invoices of `year`; nothing before the first.
std::optional<std::int64_t> last(Connection& db, const std::string& organizationId, int year);
void setLast(Connection& db, const std::string& organizationId, int year, std::int64_t sequence);

}  // namespace zelvorin::service::invoicenumbercounter
