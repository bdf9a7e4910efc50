#pragma once

#include <chrono>

#include "layout/InvoiceDocument.h"
#include "layout/LaidOutDocument.h"
#include "layout/TextMeasurer.h"

namespace zelvorin {

// Caps of the placement loop; a template can ask for nonsense, a run must still end.
struct LayoutLimits {
    static constexpr int kMaxPlacementSteps = 1000;  // flow blocks taken per run
    static constexpr int kMaxTableRetries = 5;       // new pages tried for a table whose row fits nowhere
};

// The layout run: positions every visible block of the document on pages. A pure function of its
// arguments ("today" only feeds the days-overdue variable); it never throws for a bad template and
// always returns at least one page.
LaidOutDocument layoutDocument(const InvoiceDocument& document, const TextMeasurer& measurer,
                               std::chrono::sys_days today);

}  // namespace zelvorin
