#pragma once

#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "domain/TimePoint.h"
#include "service/http/RequestContext.h"

namespace zelvorin::service {

class ServiceDatabase;

// The open invoice that best fits an incoming transaction of the caller's organisation, scored on
// its number in the description, the amount against what is open (all of it, or a part), the
// counterparty's IBAN against the customer's known one, and the names. Answers the
// BankMatchSuggestion body; without a fit its invoiceId is null and matchReason says why. An
// unknown transaction (also another organisation's) is ServiceError(notFound).
nlohmann::ordered_json suggestMatch(const ServiceDatabase& database, const Caller& caller,
                                    const std::string& transactionId);

// Links an incoming transaction to a sent invoice of the caller's organisation and registers its
// amount as the invoice's payment, in one transaction: the same payment as one entered by hand.
// Refused, writing nothing: an unknown transaction or invoice (404), a transaction that is linked
// already or an invoice that takes no payment (409), money going out, a link to an incoming
// invoice or more than is open (422).
nlohmann::ordered_json matchTransaction(const ServiceDatabase& database, const Caller& caller,
                                        const std::string& transactionId, const std::string& invoiceId,
                                        const std::optional<std::string>& invoiceType, TimePoint now);

// Undoes a link: the payment it registered goes, the invoice is open again (partiallyPaid when
// other payments remain, else sent, or overdue after its due date) and the transaction waits for
// review. A transaction without a link is a 409.
nlohmann::ordered_json unmatchTransaction(const ServiceDatabase& database, const Caller& caller,
                                          const std::string& transactionId, TimePoint now);

}  // namespace zelvorin::service
