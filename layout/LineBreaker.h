#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "layout/TextMeasurer.h"

namespace zelvorin {

struct TextStyle {
    FontRequest font;
    double size = 9;
    double letterSpacingEm = 0;
};

// Greedy line breaking at spaces; line feeds always break. A word wider than the line is broken
// between characters, so even one long unbroken string fits the width and never loops.
std::vector<std::string> breakLines(const TextMeasurer& measurer, const TextStyle& style,
                                    std::string_view text, double maxWidth);

// The text cut to fit the width, ending in "…" when something had to go.
std::string fitOnOneLine(const TextMeasurer& measurer, const TextStyle& style, std::string_view text,
                         double maxWidth);

}  // namespace zelvorin
