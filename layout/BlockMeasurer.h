#pragma once

#include <chrono>

#include "layout/BlockStyle.h"
#include "layout/DocumentFormat.h"
#include "layout/InvoiceDocument.h"
#include "layout/MeasuredBlock.h"
#include "layout/TemplateVariables.h"
#include "layout/TextMeasurer.h"

namespace zelvorin {

// What every block measurement of one run shares.
struct BlockContext {
    const InvoiceDocument& document;
    const TextMeasurer& measurer;
    TemplateVariables variables;
    DocumentFormat format;

    BlockContext(const InvoiceDocument& doc, const TextMeasurer& m, std::chrono::sys_days today)
        : document(doc),
          measurer(m),
          variables(doc, today),
          format{doc.locale, doc.currency, doc.dateFormat} {}
    bool dutch() const { return format.isDutch(); }
};

// The content of a block (its text lines, table rows or image box) at the given width.
MeasuredBlock measureBlock(const BlockConfig& block, const BlockContext& context, double width);

// The text a block prints before line breaking: its own content with the variables filled in, or
// the composition of its type.
std::string blockText(const BlockConfig& block, const BlockContext& context);

}  // namespace zelvorin
