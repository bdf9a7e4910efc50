#pragma once

#include <string>

#include "layout/InvoiceDocument.h"

namespace zelvorin::testing {

// A Dutch invoice on the built-in layout with `lineCount` lines whose amounts come from the domain
// rules; every third line is taxed at 9 %, every seventh is reverse-charged.
InvoiceDocument sampleInvoice(int lineCount);

// The description of line i in sampleInvoice, unique so its occurrences can be counted.
std::string sampleDescription(int index);

}  // namespace zelvorin::testing
