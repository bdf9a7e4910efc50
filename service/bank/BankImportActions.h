#pragma once

#include <string_view>

#include "domain/TimePoint.h"
#include "service/http/RequestContext.h"

namespace zelvorin::service {

class ServiceDatabase;

struct BankImportOutcome {
    int imported = 0;     // new bank transactions written
    int skipped = 0;      // entries the organisation already had
    int matched = 0;      // of the imported, linked to an invoice with its payment registered
    int categorised = 0;  // of the imported, given a category by one of the organisation's bank rules
};

// Imports a statement file (CAMT.053, MT940 or a bank's CSV, told apart by content) into the
// caller's organisation, all in one transaction:
//   * the account is the organisation's bank account with the statement's IBAN, made when there
//     is none;
//   * an entry the organisation already has is skipped: the same account and bank reference, or,
//     for entries without one, the same date, amount, counterparty and description (as often as it
//     was there before, so two equal coffees on one day stay two);
//   * every other entry becomes a bankTransaction record through the one write path, so devices
//     pull it;
//   * money coming in whose description names exactly one open invoice by its number and whose
//     amount is what is open on it is linked to that invoice and registered as its payment (the
//     invoice becomes paid); everything else waits for review.
// A file that cannot be read is a ServiceError (see readStatement) and nothing is written.
BankImportOutcome importStatement(const ServiceDatabase& database, const Caller& caller,
                                  std::string_view bytes, TimePoint now);

}  // namespace zelvorin::service
