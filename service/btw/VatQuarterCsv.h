#pragma once

#include <string>
#include <vector>

#include "service/btw/VatQuarter.h"

namespace zelvorin::service::btw {

// A cell as a spreadsheet reads it safely: quoted when it holds the separator, a quote or a line
// break, and with an apostrophe in front when it would otherwise start a formula (=, +, -, @, a tab
// or a carriage return: a customer called "=HYPERLINK(…)" must stay text).
std::string csvCell(const std::string& text);

// The quarter's return as a file: the rubrieken and totals, the invoices of the quarter (those of
// `sales` dated in it), the other costs, the missing documents and the warnings.
std::string quarterCsv(const QuarterSummary& summary, const std::vector<SalesDocument>& sales);

}  // namespace zelvorin::service::btw
