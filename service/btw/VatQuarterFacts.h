#pragma once

#include <string>

#include "service/btw/VatQuarter.h"

namespace zelvorin {
class Connection;
}

namespace zelvorin::service::btw {

// Everything of the organisation's records that the VAT return reads: its numbered invoices and
// credit notes with their lines (VAT rounded per line) and payments, the business documents of the
// inbox, the money that went out of its bank accounts, and the basis chosen in its settings
// ("vatBasis": "kas" for the cash basis; anything else is the invoice basis).
QuarterFacts gatherFacts(Connection& db, const std::string& organizationId);

}  // namespace zelvorin::service::btw
