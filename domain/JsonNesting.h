#pragma once

#include <string_view>

namespace zelvorin {

// The deepest nesting of arrays and objects in JSON text, counted without parsing it and stopping
// as soon as it passes `limit` (the result is then limit + 1). Brackets inside strings do not
// count; malformed text is left to the parser. Recursive readers of JSON from outside check this
// first, so that a text of nothing but brackets never reaches them.
int jsonNestingDepth(std::string_view text, int limit);

}  // namespace zelvorin
