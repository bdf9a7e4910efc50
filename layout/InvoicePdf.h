#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "layout/FontSet.h"
#include "layout/InvoiceSource.h"
#include "layout/LaidOutDocument.h"

namespace zelvorin {

struct RenderedInvoice {
    LaidOutDocument laidOut;
    std::string pdf;                   // the whole file
    std::vector<std::string> notices;  // see BuiltInvoiceDocument
};

// An invoice from its stored values to PDF bytes: document, layout run ("today" feeds the
// days-overdue variable), drawing. The file's creation date is the invoice date, so the same
// invoice on the same day gives the same bytes. Throws LayoutError (Dutch).
RenderedInvoice renderInvoice(const InvoiceSource& source, const FontSet& fonts, std::chrono::sys_days today);

}  // namespace zelvorin
