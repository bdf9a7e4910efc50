#pragma once

#include <vector>

#include "layout/BlockMeasurer.h"

namespace zelvorin {

// The rows of a line-items table at the given width: a header row, then a row per line (and a
// section row where a new section starts, when the block asks for them). Row y values run from 0.
std::vector<LayoutTableRow> buildLineItemRows(const BlockConfig& block, const BlockContext& context,
                                              double width);

}  // namespace zelvorin
