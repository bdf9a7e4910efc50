#include "domain/Rounding.h"

#include <cmath>

#include "domain/AmountOverflowError.h"

namespace zelvorin {

std::int64_t roundHalfUp(double value) {
    const double rounded = std::floor(value + 0.5);
    // 2^63 is exactly representable; every double below it converts without overflow.
    constexpr double kLimit = 9223372036854775808.0;
    if (!(rounded >= -kLimit && rounded < kLimit)) {
        throw AmountOverflowError("bedrag valt buiten het bereik van 64 bits");
    }
    return static_cast<std::int64_t>(rounded);
}

}  // namespace zelvorin
