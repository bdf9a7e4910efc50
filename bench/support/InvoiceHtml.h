#pragma once

#include <string>

#include "layout/InvoiceContent.h"

namespace zelvorin::bench {

// The same invoice as an HTML/CSS page for an HTML-to-PDF renderer: A4 with the layout's margins,
// the parties, a line table whose header repeats on every page, the totals and a "Pagina X van Y"
// footer. Only the comparison baseline of the layout benchmark uses it.
std::string invoiceHtml(const InvoiceContent& content);

}  // namespace zelvorin::bench
