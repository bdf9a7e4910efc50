#pragma once

#include <string>

#include "layout/InvoiceLayoutConfig.h"
#include "layout/LineBreaker.h"

namespace zelvorin {

// The resolved text settings of one block: the template typography, overridden by the block.
struct BlockStyle {
    TextStyle text;
    double lineHeight = 1.4;  // multiple of the size
    std::string color;
    std::string alignment = "left";

    double lineHeightPt() const { return text.size * lineHeight; }
};

BlockStyle styleFor(const BlockConfig& block, const InvoiceLayoutConfig& layout);

}  // namespace zelvorin
