#pragma once

#include <optional>
#include <string>
#include <vector>

#include "layout/LaidOutDocument.h"

namespace zelvorin {

// A block measured at the width it will get, before it is placed: its runs have x relative to the
// block's left edge and y relative to its top; its children likewise.
struct MeasuredBlock {
    LaidOutBlock block;  // x and y are 0 until placed
    bool keepTogether = false;
    double spacingBefore = 0;
    double spacingAfter = 0;
    std::optional<long long> rowsPerPage;
    bool asFooter = false;
    std::optional<std::string> pageVisibility;
    std::string column = "full";  // two-column mode: "left", "right" or "full"

    double height() const { return block.height; }
    bool isFooter() const { return block.type == BlockType::footerBlock || asFooter; }
};

}  // namespace zelvorin
