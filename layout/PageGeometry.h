#pragma once

#include "layout/InvoiceLayoutConfig.h"

namespace zelvorin {

// The page and body rectangle of a layout, in points from the top-left corner.
struct PageGeometry {
    double pageWidth = 0;
    double pageHeight = 0;
    double contentLeft = 0;
    double contentWidth = 0;  // never below 1, so a page smaller than its margins still lays out
    double bodyTop = 0;
    double bodyBottom = 0;

    static PageGeometry of(const PageConfig& page);
};

}  // namespace zelvorin
