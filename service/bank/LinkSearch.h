#pragma once

#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "service/http/RequestContext.h"

namespace zelvorin::service {

class ServiceDatabase;

// POST bank/match-search: the invoices a transaction could be linked to by hand, whose number,
// customer or sender contains `query` (case does not count). Money coming in ("in", the default)
// searches the organisation's sent invoices, open ones first; money going out ("out") the
// incoming invoices of the inbox. At most 25; {"results": [BankInvoiceSearchResult…]}. A query of
// white space only, or a direction of neither, is a 422.
nlohmann::ordered_json searchInvoicesToLink(const ServiceDatabase& database, const Caller& caller,
                                            const std::string& query,
                                            const std::optional<std::string>& direction);

// PATCH bank/accounts/<id>: a new name (1–100 characters) and/or type ("checking", "savings",
// "credit_card"); anything else is a 422, an unknown account a 404. Answers the account.
nlohmann::ordered_json updateBankAccount(const ServiceDatabase& database, const Caller& caller,
                                         const std::string& accountId, const std::optional<std::string>& name,
                                         const std::optional<std::string>& type, TimePoint now);

}  // namespace zelvorin::service
