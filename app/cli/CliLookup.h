#pragma once

#include <string>

#include "app/cli/CliContext.h"
#include "persistence/generated/Records.h"

namespace zelvorin::cli {

// Records the user names by id; an id the local database does not hold (or holds as deleted) is a
// not-found error before anything is written or queued.
DraftInvoiceRecord requireInvoice(CliContext& context, const std::string& id);
InvoiceLineRecord requireLine(CliContext& context, const std::string& id);
CustomerRecord requireCustomer(CliContext& context, const std::string& id);

}  // namespace zelvorin::cli
